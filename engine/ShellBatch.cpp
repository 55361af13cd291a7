#include "engine/ShellBatch.h"

#include "engine/CopyFile.h"
#include "platform/ErrorCodes.h"

namespace ryk {

namespace {

/// The batch holds as many paths as the old fixed lists did, so one call covers hundreds of
/// files but a stopped run never has thousands waiting.
constexpr size_t kBatchListBytes = 16384;

size_t listBytes(const std::vector<TreePath>& paths) {
    size_t bytes = 0;
    for (const TreePath& p : paths)
        bytes += p.path.size() + 1;
    return bytes;
}

} // namespace

EntryOutcome ShellBatch::OfferToShell(OperationEntry& entry, size_t row, BatchFunction function) {
    if (!m_fileBatch)
        return EntryOutcome::NoAction;
    const bool withTarget = function != BatchFunction::Delete;
    // A batch of another kind, or a full one, is carried out before this entry joins.
    if (m_function &&
        (*m_function != function ||
         listBytes(m_from) + entry.source.path.size() + 2 >= kBatchListBytes ||
         (withTarget && listBytes(m_to) + entry.targetPath().size() + 2 >= kBatchListBytes)))
        flush();
    m_function = function;
    m_from.push_back(entry.source.treePath());
    if (withTarget) {
        m_to.push_back(entry.targetPath().treePath());
        m_targets.push_back(plannedTargetFor(entry));
    }
    m_entries.push_back(&entry);
    m_rows.push_back(row);
    // Kept for later even as the last entry: the run carries out what is collected before it
    // ends, and every entry then gets the outcome its own item reached.
    entry.lastError = 0;
    return EntryOutcome::Deferred;
}

void ShellBatch::flush() {
    if (!m_entries.empty() && m_fileBatch) {
        const BatchResult result = m_fileBatch->run(*m_function, m_from, m_to, m_targets);
        m_cancelled = m_cancelled || result.cancelled;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            OperationEntry& entry = *m_entries[i];
            const int error = i < result.errors.size() ? result.errors[i] : kErrorCancelled;
            entry.lastError = error;
            EntryOutcome outcome = EntryOutcome::Done;
            if (error == kErrorCancelled) {
                // Never tried: it stays pending, so running again carries it out.
                entry.state = kStatePending;
                outcome = EntryOutcome::NoAction;
            } else if (error != 0) {
                entry.state = kStateFailed;
                outcome = EntryOutcome::Failed;
                ++m_failed;
            } else {
                entry.state = kStateDone;
            }
            m_observer.entryFinished(m_rows[i], entry, outcome);
        }
    }
    m_function.reset();
    m_from.clear();
    m_to.clear();
    m_targets.clear();
    m_entries.clear();
    m_rows.clear();
}

} // namespace ryk
