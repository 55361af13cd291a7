#include "engine/CopyFile.h"

#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgressSinks.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace ryk {

namespace {

/// "(Copy 16,384 bytes.) 25.0%": bytes done and tenths of a percent of `total`, never above
/// 100.0% (a file may have grown after its size was taken).
std::string copyStatusText(uint64_t done, uint64_t total) {
    const uint64_t perMille = total == 0 ? 1000 : std::min(done, total) * 1000 / total;
    return "(Copy " + FileUtility::FormatSize(static_cast<int64_t>(done)) + ") " +
           std::to_string(perMille / 10) + "." + std::to_string(perMille % 10) + "%";
}

/// Copies the data to the end of the source, chunk by chunk, with progress and the abort
/// poll after each chunk. 0, the copy's error, or kErrorCancelled with `stopped` set.
int copyData(const FileUtility& utility, FileCopy& copy, CopyProgressSink& window, bool visible,
             uint64_t total, uint64_t& done, bool& stopped) {
    for (;;) {
        size_t copied = 0;
        const int error = copy.copyChunk(kCopyChunkBytes, copied);
        if (error == kErrorInterrupted) {
            // A signal cut the call short: the user's abort key stops, anything else goes on.
            if (utility.PollAbortKey() != 0)
                break;
            continue;
        }
        if (error != 0)
            return error;
        if (copied == 0)
            return 0;
        done += copied;
        window.setPosition(std::min(done, total));
        if (visible)
            window.setStatus(copyStatusText(done, total));
        if (utility.PollAbortKey() != 0)
            break;
    }
    stopped = true;
    return kErrorCancelled;
}

/// Ends a copy that did not take the target's place: the temporary goes, the target stays.
int fail(OperationEntry& entry, FileCopy& copy, int error) {
    copy.abandon();
    entry.lastError = error;
    return 0;
}

} // namespace

int CopyFileWithProgress(const Platform& platform, OperationEntry& entry, CopyProgressSink& window,
                         bool* stopRequested) {
    const FileUtility utility(platform);
    const std::unique_ptr<FileCopy> copy = platform.fileSystem.newCopy();
    if (const int error = copy->open(entry.source.treePath(), entry.target.treePath()))
        return fail(entry, *copy, error);

    // The file is copied to its end as it is now, which may differ from the size planned.
    FileStatus before;
    const bool haveBefore = copy->openedStatus(before) == 0;
    const uint64_t total = haveBefore ? before.size : entry.source.size;

    window.setRange(total);
    window.setPosition(0);
    // Runs of small files do not flash the window; once a large file brought it up it stays.
    // The texts of the last file stay until the next file replaces them.
    const bool visible = window.isVisible() || total > kCopyChunkBytes;
    if (visible) {
        window.showSourcePath(entry.source.path.str());
        window.showTargetPath(entry.target.path.str());
        window.setStatus("Open...");
        if (!window.isVisible())
            window.setVisible(true);
    }

    uint64_t done = 0;
    bool stopped = false;
    if (const int error = copyData(utility, *copy, window, visible, total, done, stopped)) {
        if (stopped && stopRequested)
            *stopRequested = true;
        return fail(entry, *copy, error);
    }

    // A copy of a file that was written meanwhile may mix old and new data: it does not
    // replace anything.
    FileStatus after;
    const bool haveAfter = copy->sourceStatus(after) == 0;
    if (haveAfter && haveBefore && sourceChangedWhileCopied(before, after))
        return fail(entry, *copy, kErrorSourceChanged);

    const bool timesSet = haveAfter && copy->copyTimes() == 0;
    const int attributesError = copy->copyAttributes();
    // Copy and Move plan for a target that did not exist: one that appeared since is kept.
    const bool mayReplace =
        entry.command == OperationCommand::Update || entry.command == OperationCommand::UpAndMove;
    if (const int error = copy->commit(mayReplace ? CommitMode::Replace : CommitMode::NoReplace))
        return fail(entry, *copy, error);
    entry.lastError = 0;

    // Only a copy that took the target's place is worth a word about its times or attributes.
    if (!haveAfter)
        platform.messageBox.tell("日付が取得できません", MessageIcon::Exclamation);
    else if (!timesSet)
        platform.messageBox.tell("日付が設定できません", MessageIcon::Exclamation);
    if (attributesError != 0)
        utility.ShowSystemError(attributesError);
    return 1;
}

} // namespace ryk
