// The tree scan: plans Update, Move, Search and Delete jobs while walking the source tree.

#include "engine/TreeScan.h"

#include "engine/ListingReadAhead.h"
#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/ProgressSinks.h"

#include <algorithm>

namespace ryk {

/// What planFile learns of one file before it makes the file's line.
struct TreeScan::FileLook {
    /// The source's facts; zero for a file gone since its directory was listed.
    FileStatus source;
    bool sourceRead = false;
    /// The name the line writes on the other side: the source's, or the one the destination
    /// pattern makes of it.
    std::string_view targetName;
    /// True when the line has a target (in an update or move) ...
    bool hasTarget = false;
    /// ... and when a file or link stands there already, whose facts are `target`.
    bool targetFound = false;
    FileStatus target;
};

TreeScan::TreeScan(const Platform& platform, SearchSink* searchSink, OperationList& list)
    : m_platform(platform), m_utility(m_platform), m_searchSink(searchSink), m_list(list) {}

TreeScan::~TreeScan() = default;

namespace {

/// True when a scan with these flags plans files, not only directories.
bool plansFiles(const OptionFlags& f) {
    return !(f.subdirectories && f.directoriesOnly);
}

/// True when the file `name` is one the job selects.
bool selects(const JobSettings& job, std::string_view name) {
    return matchesPatternList(job.sourcePatterns, name) &&
           !matchesPatternList(job.exclusionPatterns, name);
}

/// The listing of every entry of `directory`.
std::string listingOf(const std::string& directory) {
    std::string listing = directory;
    joinPath(listing, kDefaultPattern);
    return listing;
}

/// The command of a file's line in `mode`, by whether a file stands at its target already.
OperationCommand fileCommand(TransferMode mode, bool targetFound) {
    switch (mode) {
    case TransferMode::Update:
        return targetFound ? OperationCommand::Update : OperationCommand::Copy;
    case TransferMode::Move:
        return targetFound ? OperationCommand::UpAndMove : OperationCommand::Move;
    case TransferMode::Search:
        return OperationCommand::Find;
    default:
        return OperationCommand::Delete;
    }
}

/// Whether a scan lists the other tree beside each directory it scans.
bool readsOtherSide(const OptionFlags& flags, TransferMode mode, SyncPass pass) {
    return (plansFiles(flags) || flags.subdirectories) &&
           (isUpdateOrMove(mode) || pass == SyncPass::Deletions);
}

/// The threads that read each tree ahead: a disk serves several lookups at once, so a cold
/// tree is read several directories at a time.
constexpr int kReadersPerTree = 2;

/// The step of the clock a write time shows: a file system that keeps coarser times than
/// nanoseconds gives times whose last digits are zero (all nine for whole seconds).
int32_t shownStep(int32_t nanoseconds) {
    constexpr int32_t kSecond = 1000000000;
    int32_t step = 1;
    while (step < kSecond && nanoseconds % (step * 10) == 0)
        step *= 10;
    return step;
}

/// True when two write times are the same moment as far as both file systems keep it: the
/// copy a coarser one holds matches its source.
bool sameWriteTime(const FileTime& a, const FileTime& b) {
    if (a.seconds != b.seconds)
        return false;
    const int32_t step = std::max(shownStep(a.nanoseconds), shownStep(b.nanoseconds));
    return a.nanoseconds / step == b.nanoseconds / step;
}

/// True when the target holds what a copy of the source would give it, as far as size and
/// write time tell.
bool unchangedCopy(const FileStatus& source, const FileStatus& target) {
    return source.kind == FileKind::Regular && target.kind == FileKind::Regular &&
           source.size == target.size && sameWriteTime(source.lastWriteTime, target.lastWriteTime);
}

} // namespace

SharedDirectory TreeScan::prefixOf(const std::string& directory) {
    const bool paired = isUpdateOrMove(m_job->mode) || m_pass == SyncPass::Deletions;
    return m_pairs.pair(directoryPrefix(directory), m_job->sourceDirectory.size(),
                        paired ? directoryPrefix(destinationFor(directory)) : std::string(),
                        m_job->destinationDirectory.size());
}

int TreeScan::run(const JobSettings& job, SyncPass pass) {
    m_job = &job;
    m_pass = pass;
    m_keepsNames = keepsNames(job.destinationPattern);
    m_times = FileTimeConverter();
    m_pairs = DirectoryPairs(m_list.names());
    m_scanDepth = 0;
    m_missingBelowDepth = -1;
    // The run acts beneath these same directories only.
    pinRoot(m_list, m_platform.fileSystem, job.sourceDirectory);
    if (isUpdateOrMove(job.mode))
        pinRoot(m_list, m_platform.fileSystem, job.destinationDirectory);
    m_refusedNesting = false;
    if (!startNestingChecks()) {
        m_job = nullptr;
        return -1;
    }
    if (m_searchSink)
        m_searchSink->showDetailPath({});
    // The facts a file pass asks for: every file a sync's deletions look at has a counterpart,
    // and those are only looked up by name.
    const bool statFiles = plansFiles(job.flags) && pass != SyncPass::Deletions;
    m_readAhead = std::make_unique<ListingReadAhead>(
        m_platform.fileSystem, job.sourceDirectory, kDefaultPattern, job.flags.subdirectories,
        [&job, statFiles](std::string_view name) { return statFiles && selects(job, name); },
        kReadersPerTree);
    if (readsOtherSide(job.flags, job.mode, pass)) {
        // Counterparts of the selected names, where the destination keeps the names.
        const bool keeps = m_keepsNames;
        m_otherReadAhead = std::make_unique<ListingReadAhead>(
            m_platform.fileSystem, job.destinationDirectory, kDefaultPattern,
            job.flags.subdirectories,
            [&job, statFiles, keeps](std::string_view name) {
                return statFiles && (!keeps || selects(job, name));
            },
            kReadersPerTree);
    }
    const TreeTally tally = scanTree(job.sourceDirectory);
    m_otherReadAhead.reset();
    m_readAhead.reset();
    m_pairs = DirectoryPairs();
    m_job = nullptr;
    return tally.abandoned ? -1 : tally.filesPlanned;
}

TreeScan::TreeTally TreeScan::scanTree(const std::string& directory) {
    std::unique_ptr<DirectorySearch> search;
    if (const int error = listDirectory(m_readAhead.get(), directory, search); error != 0)
        return unlistedDirectory(directory, error);
    if (m_searchSink)
        m_searchSink->showDetailPath(directory);
    if (m_utility.PollAbortKey() != 0)
        return TreeTally::abandon();

    const OptionFlags& f = m_job->flags;
    const bool filePass = plansFiles(f);
    // The other side of this directory is listed once, for both passes, instead of one look
    // per file and per subdirectory.
    const SharedDirectory prefix = prefixOf(directory);
    OtherSide other;
    other.prefix = prefix.counterpart();
    if (readsOtherSide(f, m_job->mode, m_pass)) {
        const int otherError = listOtherSide(other);
        if (other.state == Counterparts::Unlisted)
            reportUnreadableOtherSide(otherError, other, destinationFor(directory));
    }
    if (m_pass == SyncPass::Deletions && (other.state == Counterparts::Unlisted ||
                                          wasReportedUnreadable(destinationFor(directory)))) {
        // The source side was not read, here or above, however its entries could be reached:
        // nothing below is known to be missing there, so nothing is deleted, and neither this
        // directory nor its parents.
        return TreeTally::oneLeftOut();
    }

    TreeTally tally;
    if (filePass && !scanFiles(prefix, *search, other, tally))
        return TreeTally::abandon();
    if (f.subdirectories && search->rewind() == 0 &&
        !scanSubdirectories(prefix.text(), *search, other, tally))
        return TreeTally::abandon();
    return tally;
}

int TreeScan::listDirectory(ListingReadAhead* ahead, const std::string& directory,
                            std::unique_ptr<DirectorySearch>& search) {
    int error = ahead ? ahead->take(directory, search) : 0;
    if (!search && error == 0) {
        search = m_platform.fileSystem.newSearch();
        search->setReadStoredBits(false); // the plan decides by names, times and sizes
        error = search->findFile(listingOf(directory));
    }
    return error;
}

TreeScan::TreeTally TreeScan::unlistedDirectory(const std::string& directory, int error) {
    // A sync's destination directory was already reported by the first pass.
    if (!wasReportedUnreadable(directory))
        m_utility.ShowSystemError(error, listingOf(directory));
    if (m_scanDepth == 0)
        return TreeTally::abandon();
    // Counts as a file that got no line, so no parent is planned for removal; a sync deletes
    // nothing below it.
    noteUnreadable(directory);
    return TreeTally::oneLeftOut();
}

bool TreeScan::scanFiles(const SharedDirectory& prefix, DirectorySearch& search, OtherSide& other,
                         TreeTally& tally) {
    while (search.findNextFile()) {
        if (m_utility.PollAbortKey() != 0)
            return false;
        if (search.isDirectory())
            continue;
        if (planFile(prefix, search, other))
            ++tally.filesPlanned;
        ++tally.occupants;
    }
    return true;
}

bool TreeScan::scanSubdirectories(std::string_view prefix, DirectorySearch& search,
                                  OtherSide& other, TreeTally& tally) {
    const bool removeEmptied =
        m_job->flags.removeSourceDirectories &&
        (m_job->mode == TransferMode::Move || m_job->mode == TransferMode::Delete);
    while (search.findNextFile()) {
        if (!search.isDirectory() || search.isDots())
            continue;
        if (m_checksNesting) {
            FileStatus status;
            if (search.status(status) == 0 && meetsOtherTree(status))
                return false;
        }
        if (!scanSubdirectory(std::string(prefix) + search.fileName(), search, other, removeEmptied,
                              tally))
            return false;
    }
    return true;
}

bool TreeScan::scanSubdirectory(std::string subdirectory, DirectorySearch& hit, OtherSide& other,
                                bool removeEmptied, TreeTally& tally) {
    bool removable = removeEmptied;
    bool otherMissing = false;
    if (m_pass == SyncPass::Deletions) {
        // Already cleared by the first pass, to make way for a file of the source.
        if (m_syncRemoved.count(subdirectory) != 0)
            return true;
        // A sync removes a directory the source does not have, once it is emptied; one it
        // could not look at is kept.
        if (other.state == Counterparts::Listed) {
            otherMissing = !other.listing->seek(hit.fileName());
            removable = otherMissing || !other.listing->isDirectory();
        } else {
            otherMissing = removable = true; // the source side is missing here
        }
    }

    const size_t mkdirPosition = m_list.size();
    DestinationState state = DestinationState::Exists;
    if (isUpdateOrMove(m_job->mode))
        state = prepareDestinationSubdirectory(hit, other);
    if (state == DestinationState::Blocked) {
        // Left out, and counted as a file that got no line: no parent is removed.
        ++tally.occupants;
        return true;
    }
    const size_t linesForDirectory = m_list.size() - mkdirPosition;
    const TreeTally below =
        scanBelow(subdirectory, state == DestinationState::Planned || otherMissing);
    if (below.abandoned)
        return false;
    if (state == DestinationState::Planned && below.filesPlanned == 0 && m_job->flags.recurse)
        m_list.removeRange(mkdirPosition, linesForDirectory);
    if (removable && below.emptied())
        m_list.appendLine(OperationCommand::Rmdir,
                          SharedPath(subdirectory, m_job->sourceDirectory.size()));
    tally.filesPlanned += below.filesPlanned;
    tally.occupants += below.occupants;
    return true;
}

TreeScan::TreeTally TreeScan::scanBelow(const std::string& directory, bool otherSideMissing) {
    // Below the first directory the other side lacks, what it lacks is known without a look.
    const bool startsMissing = otherSideMissing && m_missingBelowDepth < 0;
    if (startsMissing)
        m_missingBelowDepth = m_scanDepth + 1;
    ++m_scanDepth;
    const TreeTally tally = scanTree(directory);
    --m_scanDepth;
    if (startsMissing)
        m_missingBelowDepth = -1;
    return tally;
}

bool TreeScan::planFile(const SharedDirectory& prefix, DirectorySearch& hit, OtherSide& other) {
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
    FileLook look;
    // A file gone since its directory was listed keeps zero facts, and its line fails when run.
    look.sourceRead = hit.status(look.source) == 0;
    if (!look.sourceRead)
        look.source = FileStatus{};
    // Listing a special file is harmless; acting on one is not (and a FIFO could hang a run).
    if (look.source.kind == FileKind::Special && m_job->mode != TransferMode::Search) {
        m_list.appendError(SharedPath(prefix, name), kErrorSpecialFile);
        return false; // no file line: its directory is not removed either
    }
    if (f.dateConditions && f.afterDateOnly &&
        m_job->afterDate.days > m_times.fromFileTime(look.source.lastWriteTime).days)
        return false;

    // Paths are made only for a line that is kept: most files of an update are up to date.
    std::string renamed;
    look.targetName = name;
    if (isUpdateOrMove(m_job->mode)) {
        if (!m_keepsNames) {
            renamed = makeDestinationName(m_job->destinationPattern, name);
            look.targetName = renamed;
        }
        if (!lookAtTarget(other, look))
            return false;
        look.hasTarget = true;
    }
    // Two names of one directory that the destination pattern makes one: only the first is
    // written, so no line of the run overwrites another's file.
    const bool duplicate =
        look.hasTarget && !m_keepsNames && !other.plannedNames.emplace(look.targetName).second;

    OperationEntry entry = fileEntry(prefix, name, other, look);
    if (duplicate) {
        appendDuplicate(std::move(entry));
        return false; // no file line: its directory is not removed either
    }
    m_list.append(std::move(entry));
    return true;
}

bool TreeScan::lookAtTarget(OtherSide& other, FileLook& look) {
    const OptionFlags& f = m_job->flags;
    // A link at the target is a file of its own, replaced like one, never written through.
    const int error = lookUpCounterpart(other, look.targetName, &look.target, LinkMode::Describe);
    if (error == 0 && look.target.kind == FileKind::Special) {
        m_list.appendError(SharedPath(other.prefix, look.targetName), kErrorSpecialFile);
        return false;
    }
    if (error == 0 && look.target.kind == FileKind::Directory) {
        // Passed over: the line has no target facts. A sync clears the directory first.
        if (m_pass == SyncPass::Copies)
            planTreeRemoval(SharedPath(other.prefix, look.targetName).str(), look.target);
        return true;
    }
    if (error == 0) {
        if (f.dateConditions && f.onlyMissing)
            return false;
        if (m_pass == SyncPass::Copies && m_job->skipUnchanged && look.sourceRead &&
            unchangedCopy(look.source, look.target))
            return false;
        look.targetFound = true;
        const bool always = f.dateConditions && (f.ignoreDates || f.afterDateOnly);
        // Later by at least a whole second. Compared as moments, not as wall-clock times, so
        // the hour that repeats when summer time ends cannot make a newer file look up to date.
        return always || look.source.lastWriteTime.seconds > look.target.lastWriteTime.seconds;
    }
    if (error != kErrorFileNotFound && error != kErrorNotADirectory) {
        // Neither seen nor known to be missing: a copy could replace what nobody saw.
        m_list.appendError(SharedPath(other.prefix, look.targetName), error);
        return false;
    }
    return !(f.dateConditions && f.onlyExisting);
}

OperationEntry TreeScan::fileEntry(const SharedDirectory& prefix, const std::string& name,
                                   const OtherSide& other, const FileLook& look) {
    OperationEntry entry;
    if (look.sourceRead)
        OperationEntry::fillFacts(entry.source, look.source, m_times);
    else
        entry.source.found = true;
    entry.source.path = SharedPath(prefix, name);
    if (look.targetFound) {
        OperationEntry::fillFacts(entry.editTarget(), look.target, m_times);
        entry.notePlannedTarget(look.target.lastWriteTime);
    }
    // The target's name is most often the source's: kept once for both.
    if (look.hasTarget && look.targetName == name)
        entry.setTargetToCounterpart();
    else if (look.hasTarget)
        entry.setTargetPath(SharedPath(other.prefix, look.targetName));
    entry.setCommand(fileCommand(m_job->mode, look.targetFound));
    return entry;
}

void TreeScan::appendDuplicate(OperationEntry entry) {
    entry.setCommand(OperationCommand::Error);
    entry.lastError = kErrorDuplicateTarget;
    entry.setTargetAtFault(true); // its target is another line's
    m_list.append(std::move(entry));
}

} // namespace ryk
