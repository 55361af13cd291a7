// The tree scan: plans Update, Move, Search and Delete jobs while walking the source tree.

#include "engine/TreeScan.h"

#include "engine/ListingReadAhead.h"
#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ProgressSinks.h"

namespace ryk {

TreeScan::TreeScan(const Platform& platform, SearchSink* searchSink, OperationList& list)
    : m_platform(platform), m_utility(m_platform), m_searchSink(searchSink), m_list(list) {}

TreeScan::~TreeScan() = default;

namespace {

/// `directory` with the '/' that joins a name to it, shared by the paths of its entries.
std::shared_ptr<const std::string> prefixOf(const std::string& directory) {
    return std::make_shared<const std::string>(directoryPrefix(directory));
}

/// True when a scan with these flags plans files, not only directories.
bool plansFiles(const OptionFlags& f) {
    return !(f.subdirectories && f.directoriesOnly);
}

/// True when the file `name` is one the job selects.
bool selects(const JobSettings& job, std::string_view name) {
    return matchesPatternList(job.sourcePatterns, name) &&
           !matchesPatternList(job.exclusionPatterns, name);
}

} // namespace

int TreeScan::run(const JobSettings& job, SyncPass pass) {
    m_job = &job;
    m_pass = pass;
    m_keepsNames = keepsNames(job.destinationPattern);
    m_times = FileTimeConverter();
    m_scanDepth = 0;
    m_missingBelowDepth = -1;
    // The run acts beneath these same directories only.
    pinRoot(m_list, m_platform.fileSystem, job.sourceDirectory);
    if (isUpdateOrMove(job.mode))
        pinRoot(m_list, m_platform.fileSystem, job.destinationDirectory);
    m_refusedNesting = false;
    const OptionFlags& f = job.flags;
    // Paths alone cannot tell a bind mount: the trees are compared by identity, one directory
    // at a time as the scan enters it. A sync also deletes, so its destination must hold
    // nothing of its source either.
    m_checksNesting = pass != SyncPass::None || (f.subdirectories && isUpdateOrMove(job.mode));
    if (m_checksNesting && pass == SyncPass::Deletions) {
        // What the first pass plans to clear is judged now that the whole source is known.
        for (const Identity& cleared : m_clearedDirectories) {
            if (m_sourceDirectories.count(cleared) != 0) {
                m_platform.messageBox.tell(kSourceInsideDestination);
                m_refusedNesting = true;
                m_job = nullptr;
                return -1;
            }
        }
    } else if (m_checksNesting) {
        // A destination still to be made holds nothing of the source.
        FileSystem& fs = m_platform.fileSystem;
        const auto destinationRoot = fs.identity(job.destinationDirectory);
        m_checksNesting = static_cast<bool>(destinationRoot);
        if (destinationRoot)
            m_destinationRoot = {destinationRoot->device, destinationRoot->inode};
        if (m_checksNesting && pass == SyncPass::Copies) {
            if (const auto sourceRoot = fs.identity(job.sourceDirectory))
                m_sourceDirectories.insert({sourceRoot->device, sourceRoot->inode});
        }
    }
    if (m_searchSink)
        m_searchSink->showDetailPath({});
    // The facts a file pass asks for: every file a sync's deletions look at has a counterpart,
    // and those are only looked up by name.
    const bool statFiles = plansFiles(f) && pass != SyncPass::Deletions;
    m_readAhead = std::make_unique<ListingReadAhead>(
        m_platform.fileSystem, job.sourceDirectory, kDefaultPattern, f.subdirectories,
        [&job, statFiles](std::string_view name) { return statFiles && selects(job, name); });
    const int result = scanTree(job.sourceDirectory);
    m_readAhead.reset();
    m_job = nullptr;
    return result;
}

void TreeScan::planRemoval(SharedPath path, const FileStatus& status) {
    auto entry = std::make_unique<OperationEntry>();
    OperationEntry::fillFacts(entry->source, status, m_times);
    entry->source.path = std::move(path);
    entry->source.rootLength = m_job->destinationDirectory.size();
    entry->setCommand(OperationCommand::Delete);
    m_list.append(std::move(entry));
}

void TreeScan::planTreeRemoval(const std::string& directory, const FileStatus& facts) {
    m_syncRemoved.insert(directory);
    if (m_checksNesting)
        m_clearedDirectories.emplace_back(facts.device, facts.inode);
    std::string listing = directory;
    joinPath(listing, kDefaultPattern);
    const auto search = m_platform.fileSystem.newSearch();
    search->setReadStoredBits(false);
    if (const int error = search->findFile(listing); error != 0) {
        // What cannot be listed cannot be cleared; its line says why the copy cannot go in.
        m_list.appendError(directory, error);
        return;
    }
    const auto prefix = prefixOf(directory);
    while (search->findNextFile()) {
        if (search->isDots())
            continue;
        SharedPath path(prefix, search->fileName());
        FileStatus status;
        const int error = search->status(status);
        if (search->isDirectory() && error == 0) {
            planTreeRemoval(path.str(), status);
            continue;
        }
        if (error != 0)
            m_list.appendError(std::move(path), error);
        else if (status.kind == FileKind::Special)
            m_list.appendError(std::move(path), kErrorSpecialFile);
        else
            planRemoval(std::move(path), status);
    }
    m_list.appendLine(OperationCommand::Rmdir, directory, m_job->destinationDirectory.size());
}

std::string TreeScan::destinationFor(const std::string& sourcePath) const {
    std::string destination = m_job->destinationDirectory;
    joinPath(destination, std::string_view(sourcePath).substr(m_job->sourceDirectory.size()));
    return destination;
}

TreeScan::DestinationState TreeScan::prepareDestinationSubdirectory(DirectorySearch& hit,
                                                                    OtherSide& other) {
    const std::string& name = hit.fileName();
    SharedPath destination(other.prefix, name);
    FileStatus status;
    int error = kErrorPathNotFound;
    // Below a directory still to be made nothing stands yet, and what its old name shows now
    // (through a link about to be removed, say) is no guide. The listing of the parent tells
    // a directory without a look of its own.
    if (other.state == Counterparts::Listed) {
        if (other.listing->seek(name)) {
            if (other.listing->isDirectory())
                return DestinationState::Exists;
            error = other.listing->status(status);
        }
    } else if (other.state == Counterparts::None) {
        error = m_platform.fileSystem.status(destination.str(), status, LinkMode::Describe);
    }
    if (error == 0 && status.kind == FileKind::Directory)
        return DestinationState::Exists;
    if (error != 0 && error != kErrorPathNotFound && error != kErrorNotADirectory) {
        // Neither seen nor known to be missing: what stands there is not guessed at.
        m_list.appendError(std::move(destination), error);
        return DestinationState::Blocked;
    }
    if (error == 0) {
        // A file, link or special file stands where the directory belongs. A link there is
        // never written through; a sync makes way for the directory, the other modes say why
        // the subtree is left out.
        if (m_pass != SyncPass::Copies || status.kind == FileKind::Special) {
            m_list.appendError(std::move(destination),
                               status.kind == FileKind::Link      ? kErrorLinkInTree
                               : status.kind == FileKind::Special ? kErrorSpecialFile
                                                                  : kErrorNotADirectory);
            return DestinationState::Blocked;
        }
        planRemoval(destination, status);
    }
    if (!m_keepsNames && other.plannedNames.count(name) != 0) {
        // A file of this directory was renamed onto the directory's name.
        m_list.appendError(std::move(destination), kErrorDuplicateTarget);
        return DestinationState::Blocked;
    }
    // The new directory gets the source's permissions: only now are they worth a look.
    FileStatus sourceFacts;
    const uint32_t permissions = hit.status(sourceFacts) == 0 ? sourceFacts.permissions : 0;
    OperationEntry& mkdir = m_list.appendLine(OperationCommand::Mkdir, std::move(destination));
    mkdir.source.rootLength = m_job->destinationDirectory.size();
    mkdir.source.permissions = static_cast<uint16_t>(permissions);
    // The run gives the new directory the rest of the source directory's facts.
    mkdir.target.path = SharedPath(hit.filePath());
    mkdir.target.rootLength = m_job->sourceDirectory.size();
    return DestinationState::Planned;
}

int TreeScan::listOtherSide(const std::string& directory, OtherSide& other) {
    other.prefix = prefixOf(destinationFor(directory));
    if (m_missingBelowDepth >= 0 && m_scanDepth >= m_missingBelowDepth) {
        // Known from the listing above: missing there, or still to be made (in place of what
        // stands now).
        other.state = Counterparts::Missing;
        return 0;
    }
    std::string listing = *other.prefix;
    listing += kDefaultPattern;
    other.listing = m_platform.fileSystem.newSearch();
    other.listing->setReadStoredBits(false);
    const int error = other.listing->findFile(listing);
    other.state = error == 0 ? Counterparts::Listed
                  : error == kErrorPathNotFound || error == kErrorNotADirectory
                      ? Counterparts::Missing
                      : Counterparts::None;
    if (other.state != Counterparts::Listed)
        other.listing.reset();
    return other.state == Counterparts::None ? error : 0;
}

int TreeScan::scanTree(const std::string& directory, int* filesMet) {
    std::string listing = directory;
    joinPath(listing, kDefaultPattern);
    if (filesMet)
        *filesMet = 0;
    int met = 0;
    int result = 0;

    std::unique_ptr<DirectorySearch> search;
    int error = m_readAhead ? m_readAhead->take(directory, search) : 0;
    if (!search && error == 0) {
        search = m_platform.fileSystem.newSearch();
        search->setReadStoredBits(false); // the plan decides by names, times and sizes
        error = search->findFile(listing);
    }
    if (error != 0) {
        // A sync's destination directory was already reported by the first pass.
        if (!wasReportedUnreadable(directory))
            m_utility.ShowSystemError(error, listing);
        if (m_scanDepth > 0) {
            // Counts as a file that got no line, so no parent is planned for removal; a sync
            // deletes nothing below it.
            noteUnreadable(directory);
            if (filesMet)
                *filesMet = 1;
            return 0;
        }
        return -1;
    }
    if (m_searchSink)
        m_searchSink->showDetailPath(directory);
    if (m_utility.PollAbortKey() != 0)
        return -1;

    const OptionFlags& f = m_job->flags;
    const bool filePass = plansFiles(f);
    const auto prefix = prefixOf(directory);
    // The other side of this directory is listed once, for both passes, instead of one look
    // per file and per subdirectory.
    OtherSide other;
    if ((filePass || f.subdirectories) &&
        (isUpdateOrMove(m_job->mode) || m_pass == SyncPass::Deletions)) {
        const int otherError = listOtherSide(directory, other);
        if (other.state == Counterparts::None)
            reportUnreadableOtherSide(otherError, other, destinationFor(directory));
    }
    if (m_pass == SyncPass::Deletions &&
        (other.state == Counterparts::None || wasReportedUnreadable(destinationFor(directory)))) {
        // The source side was not read, here or above, however its entries could be reached:
        // nothing below is known to be missing there, so nothing is deleted, and neither this
        // directory nor its parents.
        if (filesMet)
            *filesMet = 1;
        return 0;
    }

    if (filePass) {
        while (search->findNextFile()) {
            if (m_utility.PollAbortKey() != 0)
                return -1;
            if (search->isDirectory())
                continue;
            if (planFile(prefix, *search, other))
                ++result;
            ++met;
        }
    }

    if (f.subdirectories && search->rewind() == 0) {
        const bool removeEmptied =
            f.removeSourceDirectories &&
            (m_job->mode == TransferMode::Move || m_job->mode == TransferMode::Delete);
        while (search->findNextFile()) {
            if (!search->isDirectory() || search->isDots())
                continue;
            if (m_checksNesting) {
                FileStatus status;
                if (search->status(status) == 0 && meetsOtherTree(status))
                    return -1;
            }
            std::string subdirectory = *prefix + search->fileName();
            bool removable = removeEmptied;
            bool otherMissing = false;
            if (m_pass == SyncPass::Deletions) {
                // Already cleared by the first pass, to make way for a file of the source.
                if (m_syncRemoved.count(subdirectory) != 0)
                    continue;
                // A sync removes a directory the source does not have, once it is emptied;
                // one it could not look at is kept.
                if (other.state == Counterparts::Listed) {
                    otherMissing = !other.listing->seek(search->fileName());
                    removable = otherMissing || !other.listing->isDirectory();
                } else {
                    otherMissing = removable = true; // the source side is missing here
                }
            }

            const size_t mkdirPosition = m_list.size();
            DestinationState state = DestinationState::Exists;
            if (isUpdateOrMove(m_job->mode))
                state = prepareDestinationSubdirectory(*search, other);
            if (state == DestinationState::Blocked) {
                // Left out, and counted as a file that got no line: no parent is removed.
                ++met;
                continue;
            }
            const size_t linesForDirectory = m_list.size() - mkdirPosition;
            const bool startsMissing =
                (state == DestinationState::Planned || otherMissing) && m_missingBelowDepth < 0;
            if (startsMissing)
                m_missingBelowDepth = m_scanDepth + 1;
            int subMet = 0;
            ++m_scanDepth;
            const int subResult = scanTree(subdirectory, &subMet);
            --m_scanDepth;
            if (startsMissing)
                m_missingBelowDepth = -1;
            if (subResult == -1)
                return -1;
            if (state == DestinationState::Planned && subResult == 0 && f.recurse)
                m_list.removeRange(mkdirPosition, linesForDirectory);
            if (removable && subResult == subMet)
                m_list.appendLine(OperationCommand::Rmdir, std::move(subdirectory),
                                  m_job->sourceDirectory.size());
            result += subResult;
            met += subMet;
        }
    }
    if (filesMet)
        *filesMet = met;
    return result;
}

void TreeScan::noteUnreadable(std::string_view directory) {
    m_unreadable.emplace(withoutTrailingSlashes(directory));
}

bool TreeScan::wasReportedUnreadable(std::string_view directory) const {
    if (m_unreadable.empty())
        return false;
    for (std::string at(withoutTrailingSlashes(directory));;) {
        if (m_unreadable.count(at) != 0)
            return true;
        std::string parent = parentPath(at);
        if (parent == at)
            return false;
        at = std::move(parent);
    }
}

void TreeScan::reportUnreadableOtherSide(int error, const OtherSide& other,
                                         const std::string& directory) {
    if (wasReportedUnreadable(directory))
        return;
    m_utility.ShowSystemError(error, *other.prefix + kDefaultPattern);
    noteUnreadable(directory);
}

bool TreeScan::meetsOtherTree(const FileStatus& status) {
    const Identity directory(status.device, status.inode);
    bool met = false;
    if (m_pass == SyncPass::Deletions) {
        met = m_sourceDirectories.count(directory) != 0;
    } else {
        met = directory == m_destinationRoot;
        if (m_pass == SyncPass::Copies)
            m_sourceDirectories.insert(directory);
    }
    if (!met)
        return false;
    m_platform.messageBox.tell(m_pass == SyncPass::Deletions ? kSourceInsideDestination
                                                             : kDestinationInsideSource);
    m_refusedNesting = true;
    return true;
}

void TreeScan::appendDuplicate(std::unique_ptr<OperationEntry> entry) {
    entry->setCommand(OperationCommand::Error);
    entry->lastError = kErrorDuplicateTarget;
    entry->target.setAtFault(true); // its target is another line's
    m_list.append(std::move(entry));
}

int TreeScan::lookUpCounterpart(OtherSide& other, std::string_view name, FileStatus* status,
                                LinkMode links) {
    if (other.state == Counterparts::Missing)
        return kErrorFileNotFound;
    FileStatus unused;
    if (!status)
        status = &unused;
    if (other.state == Counterparts::Listed && name.find('/') == std::string_view::npos) {
        if (!other.listing->seek(name))
            return kErrorFileNotFound;
        if (status == &unused && links == LinkMode::Describe)
            return 0; // being there is all that was asked
        const int error = other.listing->status(*status);
        // A link is described by the listing; what it points to needs its own look.
        if (error != 0 || !(status->attributes & attr::kReparsePoint) ||
            links == LinkMode::Describe)
            return error;
    }
    std::string path = *other.prefix;
    path += name;
    return m_platform.fileSystem.status(path, *status, links);
}

bool TreeScan::planFile(const std::shared_ptr<const std::string>& prefix, DirectorySearch& hit,
                        OtherSide& other) {
    const std::string& name = hit.fileName();
    if (!selects(*m_job, name))
        return false;

    // Decided before the file itself is looked at: most files of a sync have a counterpart.
    if (m_pass == SyncPass::Deletions) {
        // Only what has no counterpart on the source side (in any form) is deleted; where the
        // source side cannot be asked, nothing is.
        const int error = lookUpCounterpart(other, name, nullptr, LinkMode::Describe);
        if (error != kErrorFileNotFound && error != kErrorNotADirectory)
            return false;
    }

    const OptionFlags& f = m_job->flags;
    // A file gone since its directory was listed keeps zero facts, and its line fails when run.
    FileStatus sourceStatus;
    const bool haveSource = hit.status(sourceStatus) == 0;
    if (!haveSource)
        sourceStatus = FileStatus{};
    // Listing a special file is harmless; acting on one is not (and a FIFO could hang a run).
    if (sourceStatus.kind == FileKind::Special && m_job->mode != TransferMode::Search) {
        m_list.appendError(SharedPath(prefix, name), kErrorSpecialFile);
        return false; // no file line: its directory is not removed either
    }
    if (f.dateConditions && f.afterDateOnly &&
        m_job->afterDate.days > m_times.fromFileTime(sourceStatus.lastWriteTime).days)
        return false;

    // Paths are made only for a line that is kept: most files of an update are up to date.
    bool haveTarget = false;
    std::string renamed;
    std::string_view targetName = name;
    FileStatus targetStatus;
    bool targetFound = false;
    if (isUpdateOrMove(m_job->mode)) {
        if (!m_keepsNames) {
            renamed = makeDestinationName(m_job->destinationPattern, name);
            targetName = renamed;
        }
        // A link at the target is a file of its own, replaced like one, never written through.
        const int error = lookUpCounterpart(other, targetName, &targetStatus, LinkMode::Describe);
        if (error == 0 && targetStatus.kind == FileKind::Special) {
            m_list.appendError(SharedPath(other.prefix, targetName), kErrorSpecialFile);
            return false;
        }
        if (error == 0 && targetStatus.kind == FileKind::Directory) {
            // Passed over: the line has no target facts. A sync clears the directory first.
            if (m_pass == SyncPass::Copies)
                planTreeRemoval(SharedPath(other.prefix, targetName).str(), targetStatus);
        } else if (error == 0) {
            if (f.dateConditions && f.onlyMissing)
                return false;
            targetFound = true;
            const bool always = f.dateConditions && (f.ignoreDates || f.afterDateOnly);
            // Later by at least a whole second. Compared as moments, not as wall-clock times,
            // so the hour that repeats when summer time ends cannot make a newer file look up
            // to date.
            if (!always &&
                !(sourceStatus.lastWriteTime.seconds > targetStatus.lastWriteTime.seconds))
                return false;
        } else if (error != kErrorFileNotFound && error != kErrorNotADirectory) {
            // Neither seen nor known to be missing: a copy could replace what nobody saw.
            m_list.appendError(SharedPath(other.prefix, targetName), error);
            return false;
        } else if (f.dateConditions && f.onlyExisting) {
            return false;
        }
        haveTarget = true;
    }
    // Two names of one directory that the destination pattern makes one: only the first is
    // written, so no line of the run overwrites another's file.
    const bool duplicate =
        haveTarget && !m_keepsNames && !other.plannedNames.emplace(targetName).second;

    auto entry = std::make_unique<OperationEntry>();
    if (haveSource)
        OperationEntry::fillFacts(entry->source, sourceStatus, m_times);
    else
        entry->source.found = true;
    entry->source.path = SharedPath(prefix, name);
    entry->source.rootLength = m_job->sourceDirectory.size();
    if (targetFound) {
        OperationEntry::fillFacts(entry->target, targetStatus, m_times);
        entry->notePlannedTarget(targetStatus.lastWriteTime);
    }
    // The target's name is most often the source's: kept once for both.
    if (haveTarget && targetName == name)
        entry->target.path = SharedPath::withNameOf(other.prefix, entry->source.path);
    else if (haveTarget)
        entry->target.path = SharedPath(other.prefix, targetName);
    entry->target.rootLength = m_job->destinationDirectory.size();
    switch (m_job->mode) {
    case TransferMode::Update:
        entry->setCommand(targetFound ? OperationCommand::Update : OperationCommand::Copy);
        break;
    case TransferMode::Move:
        entry->setCommand(targetFound ? OperationCommand::UpAndMove : OperationCommand::Move);
        break;
    case TransferMode::Search:
        entry->setCommand(OperationCommand::Find);
        break;
    default:
        entry->setCommand(OperationCommand::Delete);
        break;
    }
    if (duplicate) {
        appendDuplicate(std::move(entry));
        return false; // no file line: its directory is not removed either
    }
    m_list.append(std::move(entry));
    return true;
}

} // namespace ryk
