#pragma once

#include "engine/RunObserver.h"
#include "platform/Translation.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

class OperationEntry;
class OperationList;

/// How far a run has come against the totals its plan knew beforehand.
struct RunProgressCounts {
    size_t entriesDone = 0;
    size_t entriesTotal = 0;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
};

/// What a run of `list` has still to do: the pending lines that act (neither Find nor Error)
/// and the source bytes of every pending line.
RunProgressCounts plannedRunCounts(const OperationList& list);

/// What one entry weighs in the work of a run, in bytes of data: making, opening and closing a
/// file on a local disk takes about as long as copying this much.
inline constexpr uint64_t kEntryWorkBytes = 64 * 1024;

/// One line of overall progress, "3/10 件  1.5 MiB/4.0 MiB  37%  2.1 MiB/s  残り 0:02", after
/// `elapsedSeconds` of the run. Speed and time left read "--" while there is nothing to go by.
/// The share and the time left weigh the entries as well as the bytes, so that thousands of
/// small files still to do are not taken for next to nothing.
std::string runProgressLine(const RunProgressCounts& counts, double elapsedSeconds,
                            const Translation& translation = kUntranslated);
/// The share of the work done, from 0 to 1, as runProgressLine() reckons it: bytes, and
/// kEntryWorkBytes for each entry.
double runProgressShare(const RunProgressCounts& counts);

/// Counts a run's progress from what the run reports: finished entries with their bytes, and
/// the bytes copied so far of the current file.
class RunProgressTally {
public:
    /// `totals` holds the entries and bytes the run has to do (its done counts are ignored).
    explicit RunProgressTally(const RunProgressCounts& totals);

    void entryStarting(const OperationEntry& entry);
    /// An entry handed to the batch counts once the batch reports its outcome.
    void entryFinished(const OperationEntry& entry, EntryOutcome outcome);
    /// Bytes of the current file copied so far; never more than its planned size.
    void setFilePosition(uint64_t done);

    const RunProgressCounts& counts() const { return m_counts; }

private:
    RunProgressCounts m_counts;
    /// Bytes of finished entries; the current entry's copied bytes come on top.
    uint64_t m_finishedBytes = 0;
    uint64_t m_currentSize = 0;
};

} // namespace ryk
