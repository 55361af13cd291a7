#pragma once

#include "engine/OperationEntry.h"
#include "engine/RunObserver.h"
#include "platform/FileBatch.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace ryk {

/// The entries of a run collected for one batch file operation ("Explorer 形式"), carried out
/// together when a batch of another kind, a full batch, a directory line or the end of the run
/// comes.
class ShellBatch {
public:
    /// Without a `fileBatch` (or with `explorerStyle` off) nothing is ever collected. Each
    /// entry's outcome is told to `observer` when its batch has been carried out.
    ShellBatch(FileBatch* fileBatch, bool explorerStyle, RunObserver& observer)
        : m_fileBatch(explorerStyle ? fileBatch : nullptr), m_observer(observer) {}

    /// Offers the entry at `row` to the batch: Deferred when it was collected (its outcome
    /// follows at the flush), NoAction when batches are off and the caller carries it out
    /// itself. A batch of another kind, or a full one, is carried out first.
    [[nodiscard]] EntryOutcome OfferToShell(OperationEntry& entry, size_t row,
                                            BatchFunction function);
    /// Carries out what was collected and gives each of its entries its own outcome.
    void flush();

    /// Whether entries are collected at all (batches are on).
    bool collects() const { return m_fileBatch != nullptr; }
    /// Entries of the batches carried out so far that failed.
    int failed() const { return m_failed; }
    /// True once the user cancelled a batch.
    bool cancelled() const { return m_cancelled; }

private:
    FileBatch* m_fileBatch;
    RunObserver& m_observer;
    int m_failed = 0;
    bool m_cancelled = false;
    std::optional<BatchFunction> m_function;
    std::vector<TreePath> m_from;
    std::vector<TreePath> m_to;
    /// What the plan saw at each target: whether, and which file, it may replace.
    std::vector<PlannedTarget> m_targets;
    std::vector<OperationEntry*> m_entries;
    std::vector<size_t> m_rows;
};

} // namespace ryk
