// Running the planned list: each entry carried out on disk, directly or through the batch.

#include "engine/RunDriver.h"

#include "engine/CopyFile.h"
#include "engine/ListText.h"
#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/ProgressSinks.h"
#include "platform/text/Ascii.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ryk {

RunDriver::RunDriver(const Platform& platform, OperationList& list, const RunChoices& choices,
                     RunObserver& observer)
    : m_platform(platform), m_choices(choices), m_utility(m_platform), m_list(list),
      m_observer(observer),
      m_batch(platform.fileBatch, choices.explorerStyle && !choices.trash && !choices.verify,
              observer),
      m_crew(m_platform.fileSystem) {}

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
    // A file the copy window shows goes on its own; without the window, any file that one
    // step copies gives no progress of its own and may go with others.
    const uint64_t largestTogether =
        progress.showsFileProgress() ? kCopyChunkBytes : uint64_t{kCopyStepBytes};
    for (const auto& entry : m_list)
        if (entry->state == kStatePending && !entry->hardLinkTo().empty())
            m_linkTargets.insert(entry->hardLinkTo().str());
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
        if (const size_t count = rowsToShare(row, largestTogether); count > 0) {
            runTogether(row, count, total, progress);
            row += count - 1;
            continue;
        }
        // A directory is made or removed only after the files collected before it are done.
        if (entry.command == OperationCommand::Rmdir || entry.command == OperationCommand::Mkdir)
            m_batch.flush();
        m_currentRow = row;
        m_observer.entryStarting(
            row, entry,
            runProgressText(row, total, m_runErrors + m_batch.failed(), m_platform.translation));

        noteOutcome(row, entry, ExecuteEntry(entry, progress));
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

void RunDriver::noteOutcome(size_t row, OperationEntry& entry, EntryOutcome outcome) {
    switch (outcome) {
    case EntryOutcome::Done:
        entry.state = kStateDone;
        if (!m_linkTargets.empty() && copiesData(entry.command)) {
            std::string target = entry.targetPath().str();
            if (m_linkTargets.count(target))
                m_copiedLinkTargets.insert(std::move(target));
        }
        break;
    case EntryOutcome::Deferred:
        break; // its state follows once the batch has run
    case EntryOutcome::Failed:
        if (entry.lastError == kErrorCancelled) {
            // Stopped before it changed anything: still to do.
            entry.state = kStatePending;
            outcome = EntryOutcome::NoAction;
        } else {
            entry.state = kStateFailed;
            ++m_runErrors;
        }
        break;
    case EntryOutcome::NoAction:
        // A line the plan refused is a problem of the job however the run goes.
        if (entry.command == OperationCommand::Error)
            ++m_runErrors;
        break;
    }
    m_observer.entryFinished(row, entry, outcome);
}

namespace {

/// The most rows carried out together, and the most bytes they copy: the abort key is looked
/// at between such groups, within a second even where a slow disk holds the copies back.
constexpr size_t kRowsTogether = 256;
constexpr uint64_t kBytesTogether = uint64_t{16} << 20;

/// A copy of a tree's file of at most `largest` bytes.
bool copiesFileUpTo(const OperationEntry& entry, uint64_t largest) {
    return copiesData(entry.command) && entry.source.size <= largest &&
           entry.source.path.rootLength() != TreePath::kWholeParent &&
           entry.targetPath().rootLength() != TreePath::kWholeParent;
}

/// The root of `path`'s tree as the path names it.
std::string rootOf(const SharedPath& path) {
    return path.str().substr(0, path.rootLength());
}

/// The most copies one thread takes at a time: few enough that the threads finish a group
/// together, enough that they mostly work in different directories.
constexpr size_t kCopiesPerTake = 16;

/// Each directory's copies in takes of kCopiesPerTake, the directories' takes in turn, so that
/// a group of a few directories still keeps every thread busy to its end.
std::vector<CopyCrew::Lane> sharedOut(const std::vector<CopyCrew::Lane>& byDirectory) {
    std::vector<CopyCrew::Lane> takes;
    for (size_t from = 0;; from += kCopiesPerTake) {
        const size_t before = takes.size();
        for (const CopyCrew::Lane& lane : byDirectory)
            if (from < lane.size())
                takes.emplace_back(lane.begin() + static_cast<std::ptrdiff_t>(from),
                                   lane.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                      lane.size(), from + kCopiesPerTake)));
        if (takes.size() == before)
            return takes;
    }
}

} // namespace

size_t RunDriver::rowsToShare(size_t first, uint64_t largest) const {
    if (!m_crew.helps() || m_batch.collects())
        return 0;
    std::string sourceRoot;
    std::string targetRoot;
    // Every name written, told apart as a file system that ignores case would: two lines onto
    // one name keep their order.
    std::set<std::string> written;
    size_t copies = 0;
    uint64_t bytes = 0;
    size_t count = 0;
    for (; count < kRowsTogether; ++count) {
        const OperationEntry* entry = m_list.at(first + count);
        if (!entry || entry->state != kStatePending)
            break;
        if (entry->command == OperationCommand::Mkdir) {
            if (!written.insert(lowerAscii(withoutTrailingSlashes(entry->source.path.str())))
                     .second)
                break;
            continue;
        }
        // A link waits for its first name's copy, which may be one of the rows before it.
        if (!copiesFileUpTo(*entry, largest) || !entry->hardLinkTo().empty())
            break;
        bytes += entry->source.size;
        if (copies > 0 && bytes > kBytesTogether)
            break;
        if (copies == 0) {
            sourceRoot = rootOf(entry->source.path);
            targetRoot = rootOf(entry->targetPath());
        } else if (rootOf(entry->source.path) != sourceRoot ||
                   rootOf(entry->targetPath()) != targetRoot) {
            break;
        }
        if (!written.insert(lowerAscii(entry->targetPath().str())).second)
            break;
        ++copies;
    }
    if (copies < 2)
        return 0;
    // No copy reads what another writes: the plan keeps the trees apart (one inside the other
    // is refused while scanning), so only the roots can be one directory.
    FileSystem& fs = m_platform.fileSystem;
    const auto source = fs.identity(sourceRoot.empty() ? "." : sourceRoot);
    if (!source)
        return 0;
    const auto target = fs.identity(targetRoot.empty() ? "." : targetRoot);
    if (target.error() == ENOENT)
        return count; // the run makes it
    if (!target || *target == *source)
        return 0;
    return count;
}

void RunDriver::runTogether(size_t first, size_t count, size_t total, CopyProgressSink& progress) {
    std::vector<EntryOutcome> outcomes(count, EntryOutcome::NoAction);
    constexpr size_t kNoJob = static_cast<size_t>(-1);
    std::vector<size_t> jobOfRow(count, kNoJob);
    std::vector<CopyCrew::Job> jobs;
    // For each job, how many of the group's directories come before it in the list: its own
    // is among them, however its path is spelled.
    std::vector<size_t> directoriesBefore;
    std::vector<CopyCrew::Lane> lanes;
    std::map<std::string, size_t> laneOfDirectory;
    size_t directories = 0;
    for (size_t i = 0; i < count; ++i) {
        const OperationEntry& entry = *m_list.at(first + i);
        if (entry.command == OperationCommand::Mkdir) {
            ++directories;
            continue;
        }
        jobOfRow[i] = jobs.size();
        jobs.push_back({entry.source.treePath(), entry.targetPath().treePath(),
                        plannedTargetFor(entry, m_choices), CopyOutcome{}});
        directoriesBefore.push_back(directories);
        const auto [lane, added] =
            laneOfDirectory.emplace(parentPath(entry.targetPath().str()), lanes.size());
        if (added)
            lanes.emplace_back();
        lanes[lane->second].push_back(jobOfRow[i]);
    }
    const std::vector<CopyCrew::Lane> takes = sharedOut(lanes);
    std::vector<size_t> after;
    after.reserve(takes.size());
    for (const CopyCrew::Lane& take : takes)
        after.push_back(directoriesBefore[take.back()]);
    // The other threads copy into the directories made so far while this one makes the rest,
    // in their order, and then takes its share of the copies.
    m_crew.start(jobs, takes, std::move(after));
    size_t made = 0;
    for (size_t i = 0; i < count; ++i) {
        OperationEntry& entry = *m_list.at(first + i);
        if (entry.command == OperationCommand::Mkdir) {
            m_currentRow = first + i;
            outcomes[i] = ExecuteEntry(entry, progress);
            m_crew.made(++made);
        }
    }
    m_crew.finish();
    for (size_t i = 0; i < count; ++i) {
        const size_t row = first + i;
        OperationEntry& entry = *m_list.at(row);
        m_currentRow = row;
        m_observer.entryStarting(
            row, entry,
            runProgressText(row, total, m_runErrors + m_batch.failed(), m_platform.translation));
        if (jobOfRow[i] != kNoJob)
            outcomes[i] = NoteCopyOutcome(m_platform, entry, jobs[jobOfRow[i]].outcome) != 0
                              ? EntryOutcome::Done
                              : EntryOutcome::Failed;
        noteOutcome(row, entry, outcomes[i]);
    }
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
    if (entry.targetPath().empty())
        return 0;
    DirectoryFinish finish;
    const int error = fs.copyDirectoryFacts(entry.targetPath().treePath(), made, finish);
    if (finish.known)
        m_madeDirectories.emplace_back(made, finish);
    return error;
}

bool RunDriver::linkToFirstCopy(const OperationEntry& entry) {
    const SharedPath first = entry.hardLinkTo();
    if (!m_copiedLinkTargets.count(first.str()))
        return false;
    return m_platform.fileSystem.linkFile(first.treePath(), entry.targetPath().treePath()) == 0;
}

bool RunDriver::copyEntryFile(OperationEntry& entry, CopyProgressSink& progress,
                              FileStatus* copiedSource, bool* copiedSourceKnown) {
    bool stop = false;
    const int copied = CopyFileWithProgress(m_platform, entry, progress, &stop, copiedSource,
                                            copiedSourceKnown, m_choices);
    m_stopRequested = m_stopRequested || stop;
    return copied != 0;
}

EntryOutcome RunDriver::ExecuteEntry(OperationEntry& entry, CopyProgressSink& progress) {
    if (!copiesData(entry.command))
        progress.setVisible(false);
    // Whatever fails now is the source's unless the copy finds it at the target; an Error line
    // keeps what its plan found.
    if (entry.command != OperationCommand::Error)
        entry.setTargetAtFault(false);

    FileSystem& fs = m_platform.fileSystem;
    int error = 0;
    switch (entry.command) {
    case OperationCommand::Copy:
    case OperationCommand::Update:
        // Where no link can be made (another file system, too many names), a copy is made.
        if (!entry.hardLinkTo().empty() && linkToFirstCopy(entry)) {
            entry.lastError = 0;
            return EntryOutcome::Done;
        }
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
        error = fs.renameNoReplace(entry.source.foundTreePath(), entry.targetPath().treePath());
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
        error = m_choices.trash ? fs.moveToTrash(entry.source.foundTreePath())
                                : fs.removeFile(entry.source.foundTreePath());
        break;
    case OperationCommand::Rmdir:
        error = m_choices.trashDirectories ? fs.moveToTrash(entry.source.treePath())
                                           : fs.removeDirectory(entry.source.treePath());
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
