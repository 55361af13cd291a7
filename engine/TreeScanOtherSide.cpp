// The tree scan's side of the other tree: the destination of an update or move, the source of
// a sync's deletions. It lists and looks up counterparts, prepares the directories the copies
// go into, clears what stands in a sync's way, and watches that the two trees stay apart.

#include "engine/ListingReadAhead.h"
#include "engine/Patterns.h"
#include "engine/TreeScan.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace ryk {

bool TreeScan::startNestingChecks() {
    const JobSettings& job = *m_job;
    // Paths alone cannot tell a bind mount: the trees are compared by identity, one directory
    // at a time as the scan enters it. A sync also deletes, so its destination must hold
    // nothing of its source either.
    m_checksNesting =
        m_pass != SyncPass::None || (job.flags.subdirectories && isUpdateOrMove(job.mode));
    if (m_checksNesting && m_pass == SyncPass::Deletions) {
        // What the first pass plans to clear is judged now that the whole source is known.
        for (const Identity& cleared : m_clearedDirectories) {
            if (m_sourceDirectories.count(cleared) != 0) {
                m_platform.messageBox.tell(
                    m_platform.translation.translate("TreeScan", kSourceInsideDestination));
                m_refusedNesting = true;
                return false;
            }
        }
    } else if (m_checksNesting) {
        // A destination still to be made holds nothing of the source.
        FileSystem& fs = m_platform.fileSystem;
        const auto destinationRoot = fs.identity(job.destinationDirectory);
        m_checksNesting = static_cast<bool>(destinationRoot);
        if (destinationRoot)
            m_destinationRoot = {destinationRoot->device, destinationRoot->inode};
        if (m_checksNesting && m_pass == SyncPass::Copies) {
            if (const auto sourceRoot = fs.identity(job.sourceDirectory))
                m_sourceDirectories.insert({sourceRoot->device, sourceRoot->inode});
        }
    }
    return true;
}

bool TreeScan::meetsOtherTree(const FileStatus& status) {
    const Identity directory(status.device, status.inode);
    bool inOtherTree = false;
    if (m_pass == SyncPass::Deletions) {
        inOtherTree = m_sourceDirectories.count(directory) != 0;
    } else {
        inOtherTree = directory == m_destinationRoot;
        if (m_pass == SyncPass::Copies)
            m_sourceDirectories.insert(directory);
    }
    if (!inOtherTree)
        return false;
    m_platform.messageBox.tell(m_platform.translation.translate(
        "TreeScan",
        m_pass == SyncPass::Deletions ? kSourceInsideDestination : kDestinationInsideSource));
    m_refusedNesting = true;
    return true;
}

int TreeScan::listOtherSide(OtherSide& other) {
    if (m_missingBelowDepth >= 0 && m_scanDepth >= m_missingBelowDepth) {
        // Known from the listing above: missing there, or still to be made (in place of what
        // stands now).
        other.state = Counterparts::Missing;
        return 0;
    }
    const int error =
        listDirectory(m_otherReadAhead.get(), std::string(other.prefix.text()), other.listing);
    other.state = error == 0 ? Counterparts::Listed
                  : error == kErrorPathNotFound || error == kErrorNotADirectory
                      ? Counterparts::Missing
                      : Counterparts::Unlisted;
    if (other.state != Counterparts::Listed)
        other.listing.reset();
    return other.state == Counterparts::Unlisted ? error : 0;
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
    std::string path(other.prefix.text());
    path += name;
    return m_platform.fileSystem.status(path, *status, links);
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
    } else if (other.state == Counterparts::Unlisted) {
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
    mkdir.source.permissions = static_cast<uint16_t>(permissions);
    // The run gives the new directory the rest of the source directory's facts.
    mkdir.setTargetToCounterpart();
    return DestinationState::Planned;
}

void TreeScan::planRemoval(SharedPath path, const FileStatus& status) {
    OperationEntry entry;
    OperationEntry::fillFacts(entry.source, status, m_times);
    entry.source.path = std::move(path);
    entry.setCommand(OperationCommand::Delete);
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
    const SharedDirectory prefix = m_pairs.pair(
        directoryPrefix(directory), m_job->destinationDirectory.size(), {}, TreePath::kWholeParent);
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
    m_list.appendLine(OperationCommand::Rmdir,
                      SharedPath(directory, m_job->destinationDirectory.size()));
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
    m_utility.ShowSystemError(error, std::string(other.prefix.text()) + kDefaultPattern);
    noteUnreadable(directory);
}

} // namespace ryk
