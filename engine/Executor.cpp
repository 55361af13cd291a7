// Carrying out one planned entry, directly or through the batch file operation.

#include "engine/CopyFile.h"
#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "platform/FileBatch.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/ProgressSinks.h"

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

bool TransferJob::copyEntryFile(OperationEntry& entry, CopyProgressSink& progress) {
    bool stop = false;
    const int copied = CopyFileWithProgress(m_platform, entry, progress, &stop);
    m_stopRequested = m_stopRequested || stop;
    return copied != 0;
}

EntryOutcome TransferJob::ExecuteEntry(OperationEntry& entry, CopyProgressSink& progress,
                                       bool hasNextNode) {
    const bool copying =
        entry.command == OperationCommand::Copy || entry.command == OperationCommand::Update;
    if (!copying)
        progress.setVisible(false);

    FileSystem& fs = m_platform.fileSystem;
    int error = 0;
    switch (entry.command) {
    case OperationCommand::Copy:
    case OperationCommand::Update: {
        if (const int offered = OfferToShell(entry, progress, hasNextNode, BatchFunction::Copy))
            return offered == 1 ? EntryOutcome::Done : EntryOutcome::Deferred;
        return copyEntryFile(entry, progress) ? EntryOutcome::Done : EntryOutcome::Failed;
    }
    case OperationCommand::Move:
    case OperationCommand::UpAndMove: {
        if (const int offered = OfferToShell(entry, progress, hasNextNode, BatchFunction::Move))
            return offered == 1 ? EntryOutcome::Done : EntryOutcome::Deferred;
        // Within one file system a rename that never replaces moves the file in one step,
        // times and attributes included; another file system or a target that exists (an
        // Up&Move) falls back to copy and delete.
        // A read-only source is refused by the rename; it is copied, and its delete fails.
        error = fs.renameNoReplace(entry.source.foundTreePath(), entry.target.treePath());
        if (error != 0) {
            if (!copyEntryFile(entry, progress))
                return EntryOutcome::Failed;
            // The source goes only once its copy is complete.
            error = fs.removeFile(entry.source.foundTreePath());
        }
        break;
    }
    case OperationCommand::Delete:
        if (const int offered = OfferToShell(entry, progress, hasNextNode, BatchFunction::Delete))
            return offered == 1 ? EntryOutcome::Done : EntryOutcome::Deferred;
        error = fs.removeFile(entry.source.foundTreePath());
        break;
    case OperationCommand::Rmdir:
        error = fs.removeDirectory(entry.source.treePath());
        break;
    case OperationCommand::Mkdir:
        error = fs.makeDirectory(entry.source.treePath(), entry.source.permissions);
        break;
    case OperationCommand::Find:
    case OperationCommand::Error:
        return EntryOutcome::NoAction;
    }
    entry.lastError = static_cast<uint32_t>(error);
    return error == 0 ? EntryOutcome::Done : EntryOutcome::Failed;
}

int TransferJob::OfferToShell(OperationEntry& entry, CopyProgressSink&, bool,
                              BatchFunction function) {
    if (!m_job.explorerStyle || !m_platform.fileBatch)
        return 0;
    const int code = static_cast<int>(function);
    const bool withTarget = function != BatchFunction::Delete;
    // A batch of another kind, or a full one, is carried out before this entry joins.
    if (m_batch.function != 0 &&
        (m_batch.function != code ||
         listBytes(m_batch.from) + entry.source.path.size() + 2 >= kBatchListBytes ||
         (withTarget && listBytes(m_batch.to) + entry.target.path.size() + 2 >= kBatchListBytes)))
        flushBatch();
    m_batch.function = code;
    m_batch.from.push_back(entry.source.treePath());
    if (withTarget) {
        m_batch.to.push_back(entry.target.treePath());
        m_batch.modes.push_back(commitModeFor(entry.command));
    }
    m_batch.entries.push_back(&entry);
    m_batch.rows.push_back(m_currentRow);
    // Kept for later even as the last entry: the run carries out what is collected before it
    // ends, and every entry then gets the outcome its own item reached.
    entry.lastError = 0;
    return -1;
}

void TransferJob::flushBatch() {
    if (m_batch.entries.empty() || !m_platform.fileBatch) {
        m_batch = {};
        return;
    }
    const auto function = static_cast<BatchFunction>(m_batch.function);
    const BatchResult result =
        m_platform.fileBatch->run(function, m_batch.from, m_batch.to, m_batch.modes);
    if (result.cancelled)
        m_stopRequested = true;
    for (size_t i = 0; i < m_batch.entries.size(); ++i) {
        OperationEntry& entry = *m_batch.entries[i];
        const int error = i < result.errors.size() ? result.errors[i] : kErrorCancelled;
        entry.lastError = static_cast<uint32_t>(error);
        RowOverlay overlay = RowOverlay::Done;
        if (error == kErrorCancelled) {
            // Never tried: it stays pending, so running again carries it out.
            entry.state = kStatePending;
            overlay = RowOverlay::None;
        } else if (error != 0) {
            entry.state = kStateFailed;
            overlay = RowOverlay::Failed;
            ++m_runErrors;
        } else {
            entry.state = kStateDone;
        }
        if (m_observer)
            m_observer->entryFinished(m_batch.rows[i], entry, overlay);
    }
    m_batch = {};
}

} // namespace ryk
