#pragma once

#include "engine/CopyCrew.h"
#include "engine/CopyFile.h"
#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "engine/RunObserver.h"
#include "engine/ShellBatch.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ryk {

class CopyProgressSink;

/// One run of the list: every pending entry carried out in list order, directly or through
/// the batch, until the end or the user's stop.
class RunDriver {
public:
    /// Runs as `choices` say; with the trash or the read-back check, nothing goes through the
    /// platform's batch, which can do neither.
    RunDriver(const Platform& platform, OperationList& list, const RunChoices& choices,
              RunObserver& observer);

    /// Runs every pending entry; entries handed to a batch are carried out before the run
    /// ends, and every entry keeps the state it reached.
    RunSummary OnOK(CopyProgressSink& progress);
    /// Carries out one entry (Find and Error do nothing).
    EntryOutcome ExecuteEntry(OperationEntry& entry, CopyProgressSink& progress);
    /// True once the user asked to stop during the run.
    bool stopRequested() const { return m_stopRequested || m_batch.cancelled(); }

private:
    /// Copies the file of a copying entry, noting a stop the user asked for during the copy.
    bool copyEntryFile(OperationEntry& entry, CopyProgressSink& progress,
                       FileStatus* copiedSource = nullptr, bool* copiedSourceKnown = nullptr);
    /// Makes the target of a line planned as a hard link a further name of its first copy, when
    /// this run made that copy; false when it did not, or the link failed (the line is then
    /// copied as any other).
    bool linkToFirstCopy(const OperationEntry& entry);
    /// Makes the directory of a Mkdir entry, with the facts of the source directory it mirrors.
    int makeDirectory(OperationEntry& entry);
    /// How many rows from `first` on may be carried out together: pending Mkdir lines and
    /// copies of files of up to `largest` bytes from one tree into another apart from it, each
    /// onto a name of its own. 0 when they go one by one.
    size_t rowsToShare(size_t first, uint64_t largest) const;
    /// Carries out the `count` rows from `first` on: the directories in their order on this
    /// thread while the copies go several at once, each into a directory made already; then
    /// notes each row's outcome in list order.
    void runTogether(size_t first, size_t count, size_t total, CopyProgressSink& progress);
    /// Gives `entry` at `row` the state its outcome means and tells the observer.
    void noteOutcome(size_t row, OperationEntry& entry, EntryOutcome outcome);
    /// Gives the directories this run made their last facts, now that they are filled, and
    /// puts what the run wrote on disk; false when that failed (it was said).
    bool finishRun();

    Platform m_platform;
    RunChoices m_choices;
    FileUtility m_utility;
    OperationList& m_list;
    RunObserver& m_observer;
    ShellBatch m_batch;
    CopyCrew m_crew;
    /// The directories this run made from source directories, in the order made, with what
    /// they get once filled.
    std::vector<std::pair<TreePath, DirectoryFinish>> m_madeDirectories;
    /// The first copies that lines planned as hard links name, and those of them this run made.
    std::set<std::string> m_linkTargets;
    std::set<std::string> m_copiedLinkTargets;
    size_t m_currentRow = 0;
    int m_runErrors = 0;
    bool m_stopRequested = false;
};

} // namespace ryk
