#pragma once

#include "platform/FileCopy.h"
#include "platform/LineReader.h"
#include "platform/posix/PosixDirectorySearch.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ForwardingFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
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
    /// The look at the source after its data were copied fails (the facts found at the open
    /// are still there).
    int sourceStatusError = 0;
    int timesError = 0;
    int attributesError = 0;
    int commitError = 0;
    int flushError = 0;
    /// Where "flush" is noted for every flush of a copy (null: nowhere).
    std::vector<std::string>* calls = nullptr;
    /// Called after every chunk with the bytes copied so far: someone else at work meanwhile.
    std::function<void(uint64_t)> afterChunk;
};

/// A file copy of the real file system with the given faults.
class FaultyFileCopy : public ForwardingFileCopy {
public:
    FaultyFileCopy(std::unique_ptr<FileCopy> real, CopyFaults faults)
        : ForwardingFileCopy(std::move(real)), m_faults(std::move(faults)) {}

    int copyChunk(size_t maxBytes, size_t& copied) override {
        copied = 0;
        m_writeFailed = false;
        if (m_faults.interruptions > 0) {
            --m_faults.interruptions;
            return EINTR;
        }
        if (m_faults.writeError != 0) {
            if (m_done >= m_faults.writeFailsAt) {
                m_writeFailed = true;
                return m_faults.writeError;
            }
            maxBytes = std::min<uint64_t>(maxBytes, m_faults.writeFailsAt - m_done);
        }
        if (m_faults.chunkLimit != 0)
            maxBytes = std::min(maxBytes, m_faults.chunkLimit);
        const int error = ForwardingFileCopy::copyChunk(maxBytes, copied);
        m_done += copied;
        if (error == 0 && copied != 0 && m_faults.afterChunk)
            m_faults.afterChunk(m_done);
        return error;
    }
    bool failedAtTarget() const override {
        return m_writeFailed || ForwardingFileCopy::failedAtTarget();
    }
    int sourceStatus(FileStatus& out) override {
        return m_faults.sourceStatusError ? m_faults.sourceStatusError
                                          : ForwardingFileCopy::sourceStatus(out);
    }
    int copyTimes() override {
        return m_faults.timesError ? m_faults.timesError : ForwardingFileCopy::copyTimes();
    }
    int copyAttributes() override {
        return m_faults.attributesError ? m_faults.attributesError
                                        : ForwardingFileCopy::copyAttributes();
    }
    int flush() override {
        if (m_faults.calls)
            m_faults.calls->push_back("flush");
        return m_faults.flushError ? m_faults.flushError : ForwardingFileCopy::flush();
    }
    int commit(const PlannedTarget& planned) override {
        return m_faults.commitError ? m_faults.commitError : ForwardingFileCopy::commit(planned);
    }

private:
    CopyFaults m_faults;
    uint64_t m_done = 0;
    /// The last chunk failed with the write error of the faults: the target's.
    bool m_writeFailed = false;
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
class FaultyLineReader : public ForwardingLineReader {
public:
    FaultyLineReader(std::unique_ptr<LineReader> real, LineFaults faults)
        : ForwardingLineReader(std::move(real)), m_faults(faults) {}

    LineRead next(std::string& text) override {
        if (m_faults.readError != 0 && m_rewinds == m_faults.rewindsBefore &&
            m_lines >= m_faults.linesBefore) {
            m_failed = true;
            text.clear();
            return LineRead::Failed;
        }
        const LineRead read = ForwardingLineReader::next(text);
        if (read == LineRead::Line)
            ++m_lines;
        return read;
    }
    int error() const override {
        return m_failed ? m_faults.readError : ForwardingLineReader::error();
    }
    int rewind() override {
        if (m_faults.rewindError != 0)
            return m_faults.rewindError;
        ++m_rewinds;
        m_lines = 0;
        return ForwardingLineReader::rewind();
    }

private:
    LineFaults m_faults;
    int m_rewinds = 0;
    int m_lines = 0;
    bool m_failed = false;
};

/// Faults of a block reader: a disk that fails under a file already open. 0 means none.
struct BlockFaults {
    /// Reading the file at this path fails with this error (EIO) ...
    std::string path;
    int readError = 0;
    /// ... once this many bytes have been read.
    uint64_t failsAt = 0;
};

/// A block reader of the real file system whose reads fail from a given byte on.
class FaultyBlockReader : public ForwardingBlockReader {
public:
    FaultyBlockReader(std::unique_ptr<BlockReader> real, BlockFaults faults)
        : ForwardingBlockReader(std::move(real)), m_faults(std::move(faults)) {}

    int read(char* buffer, size_t size, size_t& got) override {
        got = 0;
        if (m_done >= m_faults.failsAt)
            return m_faults.readError;
        const int error = ForwardingBlockReader::read(
            buffer, std::min<uint64_t>(size, m_faults.failsAt - m_done), got);
        m_done += got;
        // A read cut short by the fault must not look like the end of the file.
        if (error == 0 && got < size && m_done >= m_faults.failsAt)
            return m_faults.readError;
        return error;
    }

private:
    BlockFaults m_faults;
    uint64_t m_done = 0;
};

/// True when `path` is `directory` or lies below it.
inline bool isAtOrBelow(std::string_view path, std::string_view directory) {
    return !directory.empty() && path.starts_with(directory) &&
           (path.size() == directory.size() || path[directory.size()] == '/');
}

/// A directory search of the real file system that notes every search it starts, and cannot
/// list one directory and what lies below it, as a directory the user may not read (root reads
/// everything, so it is injected); nor list another whose entries can still be reached, as
/// one the user may enter but not read.
class RefusingSearch : public ForwardingDirectorySearch {
public:
    RefusingSearch(std::unique_ptr<DirectorySearch> real, std::string refused,
                   std::string unlistable, std::vector<std::string>& started,
                   std::mutex& startedMutex)
        : ForwardingDirectorySearch(std::move(real)), m_refused(std::move(refused)),
          m_unlistable(std::move(unlistable)), m_started(started), m_startedMutex(startedMutex) {}

    int findFile(std::string_view pathOrPattern) override {
        {
            const std::lock_guard lock(m_startedMutex);
            m_started.emplace_back(pathOrPattern);
        }
        const std::string_view p = pathOrPattern;
        if (isAtOrBelow(p, m_refused))
            return EACCES;
        if (!m_unlistable.empty() && p.rfind('/') == m_unlistable.size() &&
            isAtOrBelow(p, m_unlistable) && p.find_first_of("*?") != std::string_view::npos)
            return EACCES;
        return ForwardingDirectorySearch::findFile(pathOrPattern);
    }

private:
    std::string m_refused;
    std::string m_unlistable;
    std::vector<std::string>& m_started;
    std::mutex& m_startedMutex;
};

/// The real file system, with faults injected where a test asks for them; without any it is
/// the real one, call for call.
class FaultyFileSystem : public ForwardingFileSystem {
public:
    FaultyFileSystem() : ForwardingFileSystem(std::make_unique<PosixFileSystem>()) {}

    CopyFaults copyFaults;
    int renameError = 0;
    int removeError = 0;
    int linkError = 0;
    /// Attribute changes fail with this error (EOPNOTSUPP where no extended attributes are
    /// kept, EPERM for another's file), untouched.
    int attributesError = 0;
    LineFaults lineFaults;
    BlockFaults blockFaults;
    /// Searches of this directory or below it, and the status of what lies below it, fail with
    /// EACCES; empty for none.
    std::string unreadableDirectory;
    /// Listings of this directory fail with EACCES, but what lies in it can be reached; empty
    /// for none.
    std::string unlistableDirectory;
    /// Stat plays a file system whose listings never tell an entry's type.
    EntryTypes entryTypes = EntryTypes::FromListing;
    /// Every path or pattern a search was started with, and every path whose status was asked,
    /// in order; a plan reads its source tree on a thread of its own, so both are noted under
    /// a lock.
    std::vector<std::string> searched;
    std::vector<std::string> statused;
    std::mutex recordMutex;
    /// The flushes and removals of files, in order: "flush", "remove <path>", "flush writes".
    std::vector<std::string> calls;

    std::unique_ptr<DirectorySearch> newSearch() override {
        return std::make_unique<RefusingSearch>(std::make_unique<PosixDirectorySearch>(entryTypes),
                                                unreadableDirectory, unlistableDirectory, searched,
                                                recordMutex);
    }
    /// How many copies a run may make at once (one unless a test asks for more).
    unsigned copiers = 1;
    unsigned copiesAtOnce() override { return copiers; }

    std::unique_ptr<FileCopy> newCopy() override {
        CopyFaults faults = copyFaults;
        faults.calls = &calls;
        return std::make_unique<FaultyFileCopy>(ForwardingFileSystem::newCopy(), faults);
    }
    int flushWrites() override {
        calls.push_back("flush writes");
        return ForwardingFileSystem::flushWrites();
    }
    int status(const std::string& path, FileStatus& out, LinkMode links) override {
        {
            const std::lock_guard lock(recordMutex);
            statused.push_back(path);
        }
        if (path != unreadableDirectory && isAtOrBelow(path, unreadableDirectory))
            return EACCES;
        return ForwardingFileSystem::status(path, out, links);
    }
    /// Called before each directory is made (a slow disk, say); none when empty.
    std::function<void(const TreePath&)> beforeMakeDirectory;
    int makeDirectory(const TreePath& path, uint32_t permissions) override {
        if (beforeMakeDirectory)
            beforeMakeDirectory(path);
        return ForwardingFileSystem::makeDirectory(path, permissions);
    }
    int renameNoReplace(const TreePath& from, const TreePath& to) override {
        return renameError ? renameError : ForwardingFileSystem::renameNoReplace(from, to);
    }
    int linkFile(const TreePath& existing, const TreePath& link) override {
        return linkError ? linkError : ForwardingFileSystem::linkFile(existing, link);
    }
    int setAttributes(const TreePath& path, uint32_t attributes) override {
        return attributesError ? attributesError
                               : ForwardingFileSystem::setAttributes(path, attributes);
    }
    int removeFile(const TreePath& path) override {
        calls.push_back("remove " + path.path);
        return removeError ? removeError : ForwardingFileSystem::removeFile(path);
    }
    int removeFileIfSame(const TreePath& path, const FileStatus& expected) override {
        calls.push_back("remove " + path.path);
        return removeError ? removeError : ForwardingFileSystem::removeFileIfSame(path, expected);
    }
    ErrorOr<std::unique_ptr<LineReader>> openLines(const std::string& path,
                                                   size_t lineLimit) override {
        auto real = ForwardingFileSystem::openLines(path, lineLimit);
        if (!real)
            return real;
        return std::make_unique<FaultyLineReader>(std::move(*real), lineFaults);
    }
    ErrorOr<std::unique_ptr<BlockReader>> openBlocks(const std::string& path) override {
        auto real = ForwardingFileSystem::openBlocks(path);
        if (!real || blockFaults.readError == 0 || path != blockFaults.path)
            return real;
        return std::make_unique<FaultyBlockReader>(std::move(*real), blockFaults);
    }
};

} // namespace ryk::test
