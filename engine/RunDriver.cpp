// Running the planned list.

#include "engine/TransferJob.h"

#include "engine/ListText.h"
#include "platform/ErrorCodes.h"
#include "platform/ProgressSinks.h"

namespace ryk {

RunSummary TransferJob::OnOK(RunObserver& observer, CopyProgressSink& progress) {
    m_observer = &observer;
    m_batch = {};
    m_runErrors = 0;
    m_stopRequested = false;
    progress.setVisible(false);

    const size_t total = m_list.size();
    size_t row = 0;
    for (; row < total; ++row) {
        if (m_utility.PollAbortKey() != 0) {
            m_stopRequested = true;
            break;
        }
        OperationEntry& entry = *m_list.at(row);
        if (entry.state != kStatePending) {
            if (entry.state == kStateFailed)
                ++m_runErrors;
            continue;
        }
        // A directory is made or removed only after the files collected before it are done.
        if (entry.command == OperationCommand::Rmdir || entry.command == OperationCommand::Mkdir)
            flushBatch();
        m_currentRow = row;
        observer.entryStarting(row, entry, runProgressText(row, total, m_runErrors));

        RowOverlay overlay = RowOverlay::None;
        switch (ExecuteEntry(entry, progress, row + 1 < total)) {
        case EntryOutcome::Done:
            entry.state = kStateDone;
            overlay = RowOverlay::Done;
            break;
        case EntryOutcome::Deferred:
            overlay = RowOverlay::Batch; // its state follows once the batch has run
            break;
        case EntryOutcome::Failed:
            if (entry.lastError == kErrorCancelled) {
                // Stopped before it changed anything: still to do.
                entry.state = kStatePending;
            } else {
                entry.state = kStateFailed;
                overlay = RowOverlay::Failed;
                ++m_runErrors;
            }
            break;
        case EntryOutcome::NoAction:
            break;
        }
        observer.entryFinished(row, entry, overlay);
        if (m_stopRequested) {
            ++row;
            break;
        }
    }
    flushBatch();
    progress.setVisible(false);
    m_observer = nullptr;
    return RunSummary{m_runErrors, row == total && !m_stopRequested};
}

} // namespace ryk
