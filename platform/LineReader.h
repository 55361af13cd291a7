#pragma once

#include <string>

namespace ryk {

/// What one LineReader::next call gave.
enum class LineRead {
    /// A whole line, or the last piece of a long one.
    Line,
    /// A piece of a line longer than the reader's limit; the rest of the line follows.
    Piece,
    /// The file has ended; nothing was read.
    End,
    /// Reading failed; error() tells why.
    Failed,
};

/// A file read one line at a time, each line ending at a line feed (which is not part of it).
/// No more of a line than the limit it was opened with is held at once, however long the line
/// or the file, so a caller can walk a file of any size in bounded memory.
class LineReader {
public:
    virtual ~LineReader() = default;

    /// Reads the next line, or the next piece of a line longer than the limit, into `text`.
    /// A piece holds exactly the limit; a file's last line needs no line feed.
    [[nodiscard]] virtual LineRead next(std::string& text) = 0;
    /// The error code of the read that failed, 0 before one has.
    virtual int error() const = 0;
    /// Goes back to the start of the file, to read it once more; 0 or the error code.
    [[nodiscard]] virtual int rewind() = 0;
};

} // namespace ryk
