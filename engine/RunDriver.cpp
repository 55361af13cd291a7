// Running the planned list: each entry carried out on disk, directly or through the batch.

#include "engine/RunDriver.h"

#include "engine/CopyFile.h"
#include "engine/ListText.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/ProgressSinks.h"

namespace ryk {

RunDriver::RunDriver(const Platform& platform, OperationList& list, bool explorerStyle,
                     RunObserver& observer)
    : m_platform(platform), m_utility(m_platform), m_list(list), m_observer(observer),
      m_batch(platform.fileBatch, explorerStyle, observer) {}

namespace {

/// Keeps the directories a run works in open from one entry to the next, and closes them when
/// the run ends however it ends.
class OpenDirectoriesKept {
public:
    explicit OpenDirectoriesKept(FileSystem& fileSystem) : m_fileSystem(fileSystem) {
        m_fileSystem.keepDirectoriesOpen(true);
    }
    ~OpenDirectoriesKept() { m_fileSystem.keepDirectoriesOpen(false); }
    OpenDirectoriesKept(const OpenDirectoriesKept&) = delete;
    OpenDirectoriesKept& operator=(const OpenDirectoriesKept&) = delete;

private:
    FileSystem& m_fileSystem;
};

/// Holds a run to the roots its plan found, for as long as the run lasts.
class RootsPinned {
public:
    RootsPinned(FileSystem& fileSystem, std::vector<RootPin>& roots) : m_fileSystem(fileSystem) {
        m_fileSystem.pinRoots(&roots);
    }
    ~RootsPinned() { m_fileSystem.pinRoots(nullptr); }
    RootsPinned(const RootsPinned&) = delete;
    RootsPinned& operator=(const RootsPinned&) = delete;

private:
    FileSystem& m_fileSystem;
};

} // namespace

RunSummary RunDriver::OnOK(CopyProgressSink& progress) {
    const RootsPinned pinned(m_platform.fileSystem, m_list.roots());
    const OpenDirectoriesKept kept(m_platform.fileSystem);
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
            m_batch.flush();
        m_currentRow = row;
        m_observer.entryStarting(row, entry,
                                 runProgressText(row, total, m_runErrors + m_batch.failed()));

        RowOverlay overlay = RowOverlay::None;
        switch (ExecuteEntry(entry, progress)) {
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
            // A line the plan refused is a problem of the job however the run goes.
            if (entry.command == OperationCommand::Error)
                ++m_runErrors;
            break;
        }
        m_observer.entryFinished(row, entry, overlay);
        if (stopRequested()) {
            ++row;
            break;
        }
    }
    m_batch.flush();
    if (!finishRun())
        ++m_runErrors;
    progress.setVisible(false);
    return RunSummary{m_runErrors + m_batch.failed(), row == total && !stopRequested()};
}

bool RunDriver::finishRun() {
    FileSystem& fs = m_platform.fileSystem;
    // The deepest first: the list makes a directory before those below it.
    for (auto made = m_madeDirectories.rbegin(); made != m_madeDirectories.rend(); ++made)
        if (const int error = fs.finishDirectory(made->first, made->second))
            m_utility.ShowSystemError(error, made->first.path);
    m_madeDirectories.clear();
    // "Done" means on disk.
    if (const int error = fs.flushWrites()) {
        m_utility.ShowSystemError(error);
        return false;
    }
    return true;
}

int RunDriver::makeDirectory(OperationEntry& entry) {
    FileSystem& fs = m_platform.fileSystem;
    const TreePath made = entry.source.treePath();
    if (const int error = fs.makeDirectory(made, entry.source.permissions))
        return error;
    // A Mkdir of the tree scan names the source directory it mirrors as its target.
    if (entry.target.path.empty())
        return 0;
    DirectoryFinish finish;
    const int error = fs.copyDirectoryFacts(entry.target.treePath(), made, finish);
    if (finish.known)
        m_madeDirectories.emplace_back(made, finish);
    return error;
}

bool RunDriver::copyEntryFile(OperationEntry& entry, CopyProgressSink& progress,
                              FileStatus* copiedSource, bool* copiedSourceKnown) {
    bool stop = false;
    const int copied = CopyFileWithProgress(m_platform, entry, progress, &stop, copiedSource,
                                            copiedSourceKnown);
    m_stopRequested = m_stopRequested || stop;
    return copied != 0;
}

EntryOutcome RunDriver::ExecuteEntry(OperationEntry& entry, CopyProgressSink& progress) {
    if (!copiesData(entry.command))
        progress.setVisible(false);
    // Whatever fails now is the source's unless the copy finds it at the target; an Error line
    // keeps what its plan found.
    if (entry.command != OperationCommand::Error)
        entry.target.setAtFault(false);

    FileSystem& fs = m_platform.fileSystem;
    int error = 0;
    switch (entry.command) {
    case OperationCommand::Copy:
    case OperationCommand::Update:
        if (m_batch.OfferToShell(entry, m_currentRow, BatchFunction::Copy) ==
            EntryOutcome::Deferred)
            return EntryOutcome::Deferred;
        return copyEntryFile(entry, progress) ? EntryOutcome::Done : EntryOutcome::Failed;
    case OperationCommand::Move:
    case OperationCommand::UpAndMove:
        if (m_batch.OfferToShell(entry, m_currentRow, BatchFunction::Move) ==
            EntryOutcome::Deferred)
            return EntryOutcome::Deferred;
        // Within one file system a rename that never replaces moves the file in one step,
        // times and attributes included; another file system or a target that exists (an
        // Up&Move) falls back to copy and delete.
        // A read-only source is refused by the rename; it is copied, and its delete fails.
        error = fs.renameNoReplace(entry.source.foundTreePath(), entry.target.treePath());
        if (error != 0) {
            FileStatus copied;
            bool copiedKnown = false;
            if (!copyEntryFile(entry, progress, &copied, &copiedKnown))
                return EntryOutcome::Failed;
            // The source goes only once its copy is complete, and only if its name still
            // refers to the file copied (not to one an editor saved over it meanwhile).
            error = copiedKnown ? fs.removeFileIfSame(entry.source.foundTreePath(), copied)
                                : kErrorSourceReplaced;
        }
        break;
    case OperationCommand::Delete:
        if (m_batch.OfferToShell(entry, m_currentRow, BatchFunction::Delete) ==
            EntryOutcome::Deferred)
            return EntryOutcome::Deferred;
        error = fs.removeFile(entry.source.foundTreePath());
        break;
    case OperationCommand::Rmdir:
        error = fs.removeDirectory(entry.source.treePath());
        break;
    case OperationCommand::Mkdir:
        error = makeDirectory(entry);
        break;
    case OperationCommand::Find:
    case OperationCommand::Error:
        return EntryOutcome::NoAction;
    }
    entry.lastError = error;
    return error == 0 ? EntryOutcome::Done : EntryOutcome::Failed;
}

} // namespace ryk
