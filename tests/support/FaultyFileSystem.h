#pragma once

#include "platform/FileCopy.h"
#include "platform/LineReader.h"
#include "platform/posix/PosixDirectorySearch.h"
#include "platform/posix/PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ryk::test {

/// Faults of one file copy that a real system does not produce on demand. 0 means none.
struct CopyFaults {
    /// The data write fails with this error (ENOSPC for a full disk, EIO) ...
    int writeError = 0;
    /// ... once this many bytes have been copied.
    uint64_t writeFailsAt = 0;
    /// Every chunk is cut to at most this many bytes, as a short read or write would.
    size_t chunkLimit = 0;
    /// The next this many chunk calls are cut short by a signal before copying anything.
    int interruptions = 0;
    int sourceStatusError = 0;
    int timesError = 0;
    int attributesError = 0;
    int commitError = 0;
    /// Called after every chunk with the bytes copied so far: someone else at work meanwhile.
    std::function<void(uint64_t)> afterChunk;
};

/// A file copy of the real file system with the given faults.
class FaultyFileCopy : public FileCopy {
public:
    FaultyFileCopy(std::unique_ptr<FileCopy> real, CopyFaults faults)
        : m_real(std::move(real)), m_faults(std::move(faults)) {}

    int open(const TreePath& source, const TreePath& target) override {
        return m_real->open(source, target);
    }
    int openedStatus(FileStatus& out) override { return m_real->openedStatus(out); }
    int copyChunk(size_t maxBytes, size_t& copied) override {
        copied = 0;
        if (m_faults.interruptions > 0) {
            --m_faults.interruptions;
            return EINTR;
        }
        if (m_faults.writeError != 0) {
            if (m_done >= m_faults.writeFailsAt)
                return m_faults.writeError;
            maxBytes = std::min<uint64_t>(maxBytes, m_faults.writeFailsAt - m_done);
        }
        if (m_faults.chunkLimit != 0)
            maxBytes = std::min(maxBytes, m_faults.chunkLimit);
        const int error = m_real->copyChunk(maxBytes, copied);
        m_done += copied;
        if (error == 0 && copied != 0 && m_faults.afterChunk)
            m_faults.afterChunk(m_done);
        return error;
    }
    int sourceStatus(FileStatus& out) override {
        return m_faults.sourceStatusError ? m_faults.sourceStatusError : m_real->sourceStatus(out);
    }
    int copyTimes() override {
        return m_faults.timesError ? m_faults.timesError : m_real->copyTimes();
    }
    int copyAttributes() override {
        return m_faults.attributesError ? m_faults.attributesError : m_real->copyAttributes();
    }
    int commit(CommitMode mode) override {
        return m_faults.commitError ? m_faults.commitError : m_real->commit(mode);
    }
    void abandon() override { m_real->abandon(); }

private:
    std::unique_ptr<FileCopy> m_real;
    CopyFaults m_faults;
    uint64_t m_done = 0;
};

/// Faults of a line reader: a disk that fails under a file already open. 0 means none.
struct LineFaults {
    /// Reading fails with this error (EIO) ...
    int readError = 0;
    /// ... after this many rewinds (0: on the first reading) ...
    int rewindsBefore = 0;
    /// ... once this many lines have been read since.
    int linesBefore = 0;
    /// Going back to the start fails with this error.
    int rewindError = 0;
};

/// A line reader of the real file system with the given faults.
class FaultyLineReader : public LineReader {
public:
    FaultyLineReader(std::unique_ptr<LineReader> real, LineFaults faults)
        : m_real(std::move(real)), m_faults(faults) {}

    LineRead next(std::string& text) override {
        if (m_faults.readError != 0 && m_rewinds == m_faults.rewindsBefore &&
            m_lines >= m_faults.linesBefore) {
            m_failed = true;
            text.clear();
            return LineRead::Failed;
        }
        const LineRead read = m_real->next(text);
        if (read == LineRead::Line)
            ++m_lines;
        return read;
    }
    int error() const override { return m_failed ? m_faults.readError : m_real->error(); }
    int rewind() override {
        if (m_faults.rewindError != 0)
            return m_faults.rewindError;
        ++m_rewinds;
        m_lines = 0;
        return m_real->rewind();
    }

private:
    std::unique_ptr<LineReader> m_real;
    LineFaults m_faults;
    int m_rewinds = 0;
    int m_lines = 0;
    bool m_failed = false;
};

/// A real directory search that notes every search it starts in `started`.
class RecordingSearch : public DirectorySearch {
public:
    RecordingSearch(EntryTypes types, std::vector<std::string>& started)
        : m_real(types), m_started(started) {}

    int findFile(std::string_view pathOrPattern) override {
        m_started.emplace_back(pathOrPattern);
        return m_real.findFile(pathOrPattern);
    }
    bool seek(std::string_view name) override { return m_real.seek(name); }
    int rewind() override { return m_real.rewind(); }
    bool findNextFile() override { return m_real.findNextFile(); }
    const std::string& fileName() const override { return m_real.fileName(); }
    std::string filePath() const override { return m_real.filePath(); }
    bool isDirectory() const override { return m_real.isDirectory(); }
    bool isDots() const override { return m_real.isDots(); }
    int status(FileStatus& out) override { return m_real.status(out); }
    void setReadStoredBits(bool read) override { m_real.setReadStoredBits(read); }
    void close() override { m_real.close(); }

private:
    PosixDirectorySearch m_real;
    std::vector<std::string>& m_started;
};

/// The real file system, with faults injected where a test asks for them.
class FaultyFileSystem : public FileSystem {
public:
    CopyFaults copyFaults;
    int renameError = 0;
    int removeError = 0;
    LineFaults lineFaults;
    /// Stat plays a file system whose listings never tell an entry's type.
    EntryTypes entryTypes = EntryTypes::FromListing;
    /// Every path or pattern a search was started with, and every path whose status was asked,
    /// in order.
    std::vector<std::string> searched;
    std::vector<std::string> statused;

    std::unique_ptr<DirectorySearch> newSearch() override {
        return std::make_unique<RecordingSearch>(entryTypes, searched);
    }
    std::unique_ptr<FileCopy> newCopy() override {
        return std::make_unique<FaultyFileCopy>(m_real.newCopy(), copyFaults);
    }
    int status(const std::string& path, FileStatus& out, LinkMode links) override {
        statused.push_back(path);
        return m_real.status(path, out, links);
    }
    int setAttributes(const std::string& path, uint32_t attributes) override {
        return m_real.setAttributes(path, attributes);
    }
    int setTimes(const std::string& path, const FileTime* lastAccess,
                 const FileTime* lastWrite) override {
        return m_real.setTimes(path, lastAccess, lastWrite);
    }
    int renameNoReplace(const TreePath& from, const TreePath& to) override {
        return renameError ? renameError : m_real.renameNoReplace(from, to);
    }
    int removeFile(const TreePath& path) override {
        return removeError ? removeError : m_real.removeFile(path);
    }
    int makeDirectory(const TreePath& path, uint32_t permissions = 0) override {
        return m_real.makeDirectory(path, permissions);
    }
    int removeDirectory(const TreePath& path) override { return m_real.removeDirectory(path); }
    int resolvePath(const std::string& path, std::string& resolved) override {
        return m_real.resolvePath(path, resolved);
    }
    int identity(const std::string& path, uint64_t& device, uint64_t& inode) override {
        return m_real.identity(path, device, inode);
    }
    int diskSpace(const std::string& path, uint64_t& freeBytes, uint64_t& totalBytes) override {
        return m_real.diskSpace(path, freeBytes, totalBytes);
    }
    int readFile(const std::string& path, std::string& contents, size_t limit) override {
        return m_real.readFile(path, contents, limit);
    }
    int writeFileAtomically(const std::string& path, std::string_view contents) override {
        return m_real.writeFileAtomically(path, contents);
    }
    std::unique_ptr<LineReader> openLines(const std::string& path, size_t lineLimit,
                                          int& error) override {
        auto real = m_real.openLines(path, lineLimit, error);
        if (!real)
            return nullptr;
        return std::make_unique<FaultyLineReader>(std::move(real), lineFaults);
    }

private:
    PosixFileSystem m_real;
};

} // namespace ryk::test
