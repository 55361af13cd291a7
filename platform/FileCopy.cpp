#include "platform/FileCopy.h"

#include "platform/ErrorCodes.h"

#include <memory>

namespace ryk {

namespace {

/// Where a failure was met.
enum class At { Source, Target };

/// Throws the copy away and answers why, and where.
CopyOutcome failed(FileCopy& copy, int error, At at, bool stopped = false) {
    copy.abandon();
    CopyOutcome outcome;
    outcome.error = error;
    outcome.failedAtTarget = at == At::Target;
    outcome.stopped = stopped;
    return outcome;
}

/// Where the copy says its last open() or copyChunk() failed.
At whereFailed(const FileCopy& copy) {
    return copy.failedAtTarget() ? At::Target : At::Source;
}

} // namespace

CopyOutcome copyWholeFile(FileSystem& fileSystem, const TreePath& source, const TreePath& target,
                          const PlannedTarget& planned, CopyListener* listener, bool durable) {
    const std::unique_ptr<FileCopy> copy = fileSystem.newCopy();
    if (const int error = copy->open(source, target))
        return failed(*copy, error, whereFailed(*copy));

    // The file is copied to its end as it is now, which may differ from the size planned.
    FileStatus before;
    const bool haveBefore = copy->openedStatus(before) == 0;
    if (listener)
        listener->opened(haveBefore ? &before : nullptr);

    uint64_t done = 0;
    for (;;) {
        size_t copied = 0;
        const int error = copy->copyChunk(kCopyStepBytes, copied);
        if (error == kErrorInterrupted) {
            // Nothing was lost: the listener decides whether the signal was a stop.
            if (listener && listener->interrupted())
                return failed(*copy, kErrorCancelled, At::Source, true);
            continue;
        }
        if (error != 0)
            return failed(*copy, error, whereFailed(*copy));
        if (copied == 0)
            break;
        done += copied;
        if (listener && listener->stepped(done))
            return failed(*copy, kErrorCancelled, At::Source, true);
    }

    // A copy of a file that was written meanwhile may mix old and new data: it replaces
    // nothing.
    FileStatus after;
    const int statusError = copy->sourceStatus(after);
    if (statusError == 0 && haveBefore && sourceChangedWhileCopied(before, after))
        return failed(*copy, kErrorSourceChanged, At::Source);

    CopyOutcome outcome;
    outcome.statusError = statusError;
    outcome.sourceKnown = statusError == 0 || haveBefore;
    outcome.source = statusError == 0 ? after : before;
    // Times of a source whose facts cannot be read again are not trusted.
    outcome.timesError = statusError != 0 ? statusError : copy->copyTimes();
    outcome.attributesError = copy->copyAttributes();
    // Checked before anything of the copy stands under the target's name.
    if (planned.check == CopyCheck::ReadBack) {
        if (const int error = copy->verify())
            return failed(*copy, error, At::Target);
    }
    if (durable) {
        if (const int error = copy->flush())
            return failed(*copy, error, At::Target);
    }
    if (const int error = copy->commit(planned))
        return failed(*copy, error, At::Target);
    return outcome;
}

} // namespace ryk
