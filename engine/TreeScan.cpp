// The tree scan: plans Update, Move, Search and Delete jobs while walking the source tree.

#include "engine/TransferJob.h"

#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/ProgressSinks.h"

namespace ryk {

bool TransferJob::checkDirectory(const std::string& path, bool isDestination) {
    std::string listing = path;
    joinPath(listing, kDefaultPattern);
    int error = 0;
    if (m_utility.IsDirectoryMatch(listing, &error))
        return true;
    if (error == kErrorPathNotFound && isDestination && m_job.createDestination) {
        planDestinationPath(path);
        return true;
    }
    m_utility.ShowSystemError(error);
    return false;
}

void TransferJob::planDestinationPath(const std::string& path) {
    // The root "/" is never made; a relative path has no root and starts at its first level.
    std::string current = !path.empty() && path[0] == '/' ? "/" : "";
    size_t pos = 0;
    while (pos < path.size()) {
        const size_t end = std::min(path.find('/', pos), path.size());
        if (end > pos) {
            const std::string_view component(path.data() + pos, end - pos);
            if (current.empty())
                current = component;
            else
                joinPath(current, component);
            if (!m_utility.isExistingDirectory(current))
                planMkdir(current);
        }
        pos = end + 1;
    }
}

OperationEntry& TransferJob::planLine(OperationCommand command, std::string path) {
    auto entry = std::make_unique<OperationEntry>();
    entry->setCommand(command);
    entry->source.path = std::move(path);
    return m_list.append(std::move(entry));
}

std::string TransferJob::destinationFor(const std::string& sourcePath) const {
    std::string destination = m_job.destinationDirectory;
    joinPath(destination, std::string_view(sourcePath).substr(m_job.sourceDirectory.size()));
    return destination;
}

bool TransferJob::planDestinationSubdirectory(const std::string& sourceSubdirectory) {
    const std::string destination = destinationFor(sourceSubdirectory);
    if (m_utility.isExistingDirectory(destination))
        return true;
    planMkdir(destination);
    return false;
}

int TransferJob::scanTree(const std::string& directory, int* filesMet) {
    std::string listing = directory;
    joinPath(listing, kDefaultPattern);
    if (filesMet)
        *filesMet = 0;
    int met = 0;
    int result = 0;

    const auto search = m_platform.fileSystem.newSearch();
    search->setReadStoredBits(false); // the plan decides by names, times and sizes
    if (const int error = search->findFile(listing); error != 0) {
        m_utility.ShowSystemError(error, listing);
        if (m_scanDepth > 0) {
            // Counts as a file that got no line, so no parent is planned for removal.
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

    const OptionFlags& f = m_job.flags;
    if (!(f.subdirectories && f.directoriesOnly)) {
        // The other side of this directory is listed once, instead of one look per file.
        const auto counterparts = m_platform.fileSystem.newSearch();
        m_counterparts = Counterparts::None;
        if (isUpdateOrMove() || m_syncPass == SyncPass::Deletions) {
            std::string otherListing = destinationFor(directory);
            joinPath(otherListing, kDefaultPattern);
            counterparts->setReadStoredBits(false);
            const int error = counterparts->findFile(otherListing);
            m_counterparts = error == 0                    ? Counterparts::Listed
                             : error == kErrorPathNotFound ? Counterparts::Missing
                                                           : Counterparts::None;
            m_counterpartListing = counterparts.get();
        }
        while (search->findNextFile()) {
            if (m_utility.PollAbortKey() != 0)
                return -1;
            if (search->isDirectory())
                continue;
            if (planFile(directory, *search))
                ++result;
            ++met;
        }
        m_counterparts = Counterparts::None;
        m_counterpartListing = nullptr;
    }

    if (f.subdirectories && search->rewind() == 0) {
        const bool removeEmptied =
            f.removeSourceDirectories &&
            (m_job.mode == TransferMode::Move || m_job.mode == TransferMode::Delete);
        while (search->findNextFile()) {
            if (!search->isDirectory() || search->isDots())
                continue;
            std::string subdirectory = directory;
            joinPath(subdirectory, search->fileName());
            // A sync removes a directory the source does not have, once it is emptied.
            const bool removable =
                m_syncPass == SyncPass::Deletions
                    ? !m_utility.isExistingDirectory(destinationFor(subdirectory))
                    : removeEmptied;

            const size_t mkdirPosition = m_list.size();
            const bool exists = isUpdateOrMove() ? planDestinationSubdirectory(subdirectory) : true;
            int subMet = 0;
            ++m_scanDepth;
            const int subResult = scanTree(subdirectory, &subMet);
            --m_scanDepth;
            if (subResult == -1)
                return -1;
            if (!exists && subResult == 0 && f.recurse)
                m_list.removeAt(mkdirPosition);
            if (removable && subResult == subMet)
                planLine(OperationCommand::Rmdir, std::move(subdirectory));
            result += subResult;
            met += subMet;
        }
    }
    if (filesMet)
        *filesMet = met;
    return result;
}

int TransferJob::lookUpCounterpart(const std::string& path, std::string_view name,
                                   FileStatus* status, LinkMode links) {
    if (m_counterparts == Counterparts::Missing)
        return kErrorFileNotFound;
    FileStatus unused;
    if (!status)
        status = &unused;
    if (m_counterparts == Counterparts::Listed && name.find('/') == std::string_view::npos) {
        if (!m_counterpartListing->seek(name))
            return kErrorFileNotFound;
        if (status == &unused && links == LinkMode::Describe)
            return 0; // being there is all that was asked
        const int error = m_counterpartListing->status(*status);
        // A link is described by the listing; what it points to needs its own look.
        if (error != 0 || !(status->attributes & attr::kReparsePoint) ||
            links == LinkMode::Describe)
            return error;
    }
    return m_platform.fileSystem.status(path, *status, links);
}

bool TransferJob::planFile(const std::string& directory, DirectorySearch& hit) {
    const std::string& name = hit.fileName();
    if (!matchesPatternList(m_job.sourcePatterns, name) ||
        matchesPatternList(m_job.exclusionPatterns, name))
        return false;

    // Decided before the file itself is looked at: most files of a sync have a counterpart.
    if (m_syncPass == SyncPass::Deletions) {
        // Only what has no counterpart on the source side (in any form) is deleted.
        std::string other = destinationFor(directory);
        joinPath(other, name);
        if (lookUpCounterpart(other, name, nullptr, LinkMode::Describe) == 0)
            return false;
    }

    const OptionFlags& f = m_job.flags;
    // A file gone since its directory was listed keeps zero facts, and its line fails when run.
    FileStatus sourceStatus;
    const bool haveSource = hit.status(sourceStatus) == 0;
    if (!haveSource)
        sourceStatus = FileStatus{};
    if (f.dateConditions && f.afterDateOnly &&
        m_job.afterDate.days > DateTime::fromFileTime(sourceStatus.lastWriteTime).days)
        return false;

    std::string targetPath;
    FileStatus targetStatus;
    bool targetFound = false;
    if (isUpdateOrMove()) {
        const std::string targetName = makeDestinationName(m_job.destinationPattern, name);
        targetPath = destinationFor(directory);
        joinPath(targetPath, targetName);
        const int error =
            lookUpCounterpart(targetPath, targetName, &targetStatus, LinkMode::Follow);
        if (error == 0 && !(targetStatus.attributes & attr::kDirectory)) {
            if (f.dateConditions && f.onlyMissing)
                return false;
            targetFound = true;
            const bool always = f.dateConditions && (f.ignoreDates || f.afterDateOnly);
            if (m_syncPass == SyncPass::Copies) {
                // Equal means equal: a destination file newer than its source is replaced too,
                // and one already equal is left alone, so a second sync plans nothing.
                if (sourceStatus.lastWriteTime == targetStatus.lastWriteTime &&
                    sourceStatus.size == targetStatus.size)
                    return false;
            } else if (!always &&
                       !(sourceStatus.lastWriteTime.seconds > targetStatus.lastWriteTime.seconds)) {
                // Later by at least a whole second. Compared as moments, not as wall-clock
                // times, so the hour that repeats when summer time ends cannot make a newer
                // file look up to date.
                return false;
            }
        } else if (error != 0 && f.dateConditions && f.onlyExisting) {
            return false;
        }
    }

    auto entry = std::make_unique<OperationEntry>();
    if (haveSource)
        OperationEntry::fillFacts(entry->source, sourceStatus, hit.filePath());
    else
        entry->source.foundPath = hit.filePath();
    entry->source.path = directory;
    joinPath(entry->source.path, name);
    if (targetFound)
        OperationEntry::fillFacts(entry->target, targetStatus, targetPath);
    entry->target.path = std::move(targetPath);
    switch (m_job.mode) {
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
    m_list.append(std::move(entry));
    return true;
}

} // namespace ryk
