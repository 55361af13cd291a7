#include "platform/posix/PosixFileBatch.h"

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace ryk {

namespace {

/// Nothing shows progress inside one file of a batch, so the kernel may copy as much as it
/// likes per call (a file system that shares blocks between copies does it in one step).
constexpr size_t kBatchChunkBytes = size_t{1} << 30;

} // namespace

BatchResult PosixFileBatch::run(BatchFunction function, const std::vector<TreePath>& from,
                                const std::vector<TreePath>& to) {
    BatchResult result;
    const size_t count = from.size();
    result.errors.assign(count, kErrorCancelled);
    for (size_t i = 0; i < count; ++i) {
        if (m_progress && !m_progress->step(i, count, from[i].path)) {
            result.cancelled = true;
            break;
        }
        if (function != BatchFunction::Delete && i >= to.size()) {
            result.errors[i] = EINVAL;
            continue;
        }
        switch (function) {
        case BatchFunction::Copy:
            result.errors[i] = copyItem(from[i], to[i]);
            break;
        case BatchFunction::Move:
            result.errors[i] = moveItem(from[i], to[i]);
            break;
        case BatchFunction::Delete:
            result.errors[i] = m_fileSystem.removeFile(from[i]);
            break;
        }
    }
    if (m_progress)
        m_progress->finished();
    return result;
}

int PosixFileBatch::copyItem(const TreePath& from, const TreePath& to) {
    const std::unique_ptr<FileCopy> copy = m_fileSystem.newCopy();
    if (const int error = copy->open(from, to))
        return error;
    FileStatus before;
    const int beforeError = copy->openedStatus(before);
    for (;;) {
        size_t copied = 0;
        const int error = copy->copyChunk(kBatchChunkBytes, copied);
        // The cancel is asked between items; a signal alone does not end the copy.
        if (error == kErrorInterrupted)
            continue;
        if (error != 0)
            return error;
        if (copied == 0)
            break;
    }
    // A source written meanwhile could give a copy of mixed old and new data.
    FileStatus after;
    if (beforeError == 0 && copy->sourceStatus(after) == 0 &&
        sourceChangedWhileCopied(before, after))
        return kErrorSourceChanged;
    // Times and attributes are kept where the target's file system can hold them; on one that
    // cannot (a FAT memory stick) the data still count, as a batch asks nobody about them.
    [[maybe_unused]] const int timesError = copy->copyTimes();
    [[maybe_unused]] const int attributesError = copy->copyAttributes();
    return copy->commit(CommitMode::Replace);
}

int PosixFileBatch::moveItem(const TreePath& from, const TreePath& to) {
    const int error = m_fileSystem.renameNoReplace(from, to);
    if (error != EXDEV && error != kErrorFileExists)
        return error;
    // Another file system, or an older target to replace: a complete copy takes the target's
    // place first (a read-only target is refused), and only then the source goes.
    if (const int copyError = copyItem(from, to))
        return copyError;
    return m_fileSystem.removeFile(from);
}

} // namespace ryk
