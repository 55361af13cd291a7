#pragma once

#include "engine/FileUtility.h"
#include "engine/JobSettings.h"
#include "engine/OperationEntry.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace ryk {

/// The refusals of a job whose destination lies inside its source, or (for a sync, which
/// deletes in its destination) whose source lies inside its destination.
inline constexpr const char* kDestinationInsideSource =
    translatable("TreeScan", "転送先が転送元の中にあります。").text;
inline constexpr const char* kSourceInsideDestination =
    translatable("TreeScan", "転送元が転送先の中にあります。").text;

class DirectorySearch;
class ListingReadAhead;
class SearchSink;
enum class LinkMode;
struct FileStatus;

/// Which half of a sync plan a scan makes.
enum class SyncPass { None, Copies, Deletions };

/// The tree scan: plans an Update, Move, Search or Delete job into a list while walking the
/// job's source tree. What it learns lasts as long as the scan: the two passes of a sync share
/// one, so the second knows what the first cleared and could not read.
class TreeScan {
public:
    TreeScan(const Platform& platform, SearchSink* searchSink, OperationList& list);
    ~TreeScan();

    /// Plans `job` from its source directory as part `pass` of a sync (or as a plain job); the
    /// number of file entries planned, or -1 when the scan failed or was stopped.
    [[nodiscard]] int run(const JobSettings& job, SyncPass pass = SyncPass::None);
    /// True once a scan found the trees inside each other (a bind mount, say, that no path
    /// shows) and refused the job; its result was -1 and nothing of the plan may run.
    bool refusedNesting() const { return m_refusedNesting; }

private:
    /// What is known of the other side of the directory being scanned: the destination of an
    /// update or move, the source of a sync's deletions.
    enum class Counterparts {
        /// Not listed (the listing failed, or none was needed): each counterpart is asked for
        /// by name.
        Unlisted,
        /// Listed: the listing answers for each name.
        Listed,
        /// Known to be missing, and everything in it.
        Missing,
    };
    /// What stands where a source subdirectory's counterpart belongs.
    enum class DestinationState { Exists, Planned, Blocked };

    /// The other side of one directory, listed once for its file pass and its directory pass.
    struct OtherSide {
        Counterparts state = Counterparts::Unlisted;
        /// The listing, while `state` is Listed.
        std::unique_ptr<DirectorySearch> listing;
        /// The other side's directory with its '/', shared by the paths planned in it: the
        /// counterpart of the scanned directory's.
        SharedDirectory prefix;
        /// The names planned to be written there; kept only where the destination pattern
        /// renames, since only then can two names of one directory become one.
        std::unordered_set<std::string> plannedNames;
    };
    /// What the scan of one tree found.
    struct TreeTally {
        /// The file lines planned in the tree.
        int filesPlanned = 0;
        /// What must each get a line for the run to leave the tree empty: its files, and each
        /// subdirectory left out or not read, which counts as a file that got none.
        int occupants = 0;
        /// The scan failed or was stopped: the plan is abandoned.
        bool abandoned = false;

        /// True when every occupant got a line: the run empties the tree.
        bool emptied() const { return filesPlanned == occupants; }
        static TreeTally abandon() { return {0, 0, true}; }
        /// A tree that gets no line and is never emptied.
        static TreeTally oneLeftOut() { return {0, 1, false}; }
    };
    struct FileLook;
    /// A directory's device and inode.
    using Identity = std::pair<uint64_t, uint64_t>;
    struct IdentityHash {
        size_t operator()(const Identity& id) const {
            return id.first * 0x9E3779B97F4A7C15u ^ id.second;
        }
    };

    /// `directory` with the '/' that joins a name to it, paired with its counterpart on the
    /// other side where the job has one: shared by the paths of their entries.
    SharedDirectory prefixOf(const std::string& directory);
    /// Starts the comparison of the trees by identity where the job needs it; false, after
    /// telling the user why, when a sync's deletions find that its first pass plans to clear a
    /// directory of the source.
    bool startNestingChecks();
    /// Scans one directory (and, with subdirectories, the tree below it).
    TreeTally scanTree(const std::string& directory);
    /// Lists `directory`, from `ahead` (null: none) where it has the listing; 0 or the error.
    int listDirectory(ListingReadAhead* ahead, const std::string& directory,
                      std::unique_ptr<DirectorySearch>& search);
    /// The tally of a directory that could not be listed with `error`, after reporting it: the
    /// scan is abandoned at its root, below it the directory is left out.
    TreeTally unlistedDirectory(const std::string& directory, int error);
    /// The file pass over the listing `search` of the directory whose paths begin with
    /// `prefix`; false when the user stopped the scan.
    bool scanFiles(const SharedDirectory& prefix, DirectorySearch& search, OtherSide& other,
                   TreeTally& tally);
    /// The directory pass over the listing `search`: each subdirectory is scanned in turn;
    /// false when the scan was abandoned.
    bool scanSubdirectories(std::string_view prefix, DirectorySearch& search, OtherSide& other,
                            TreeTally& tally);
    /// Scans the subdirectory `hit` (whose path is `subdirectory`) with what makes or removes
    /// it around its contents: its counterpart's Mkdir, its own Rmdir once emptied (with
    /// `removeEmptied`, or in a sync's deletions where the source lacks it). False when the
    /// scan was abandoned.
    bool scanSubdirectory(std::string subdirectory, DirectorySearch& hit, OtherSide& other,
                          bool removeEmptied, TreeTally& tally);
    /// scanTree one level down; `otherSideMissing` when the other side lacks the directory, or
    /// has it still to be made.
    TreeTally scanBelow(const std::string& directory, bool otherSideMissing);
    /// Lists `other` (the other side of the directory being scanned), unless it is known to be
    /// missing; the error of the listing, 0 when it is listed or missing.
    int listOtherSide(OtherSide& other);
    /// Decides the file `hit` of the directory whose paths begin with `prefix`; true when a
    /// file line was appended.
    bool planFile(const SharedDirectory& prefix, DirectorySearch& hit, OtherSide& other);
    /// Looks at the target `look.targetName` of a file of an update or move; false when the
    /// file gets no line: up to date, left out by the date options, or an Error line says why.
    bool lookAtTarget(OtherSide& other, FileLook& look);
    /// The line of the file `name` as `look` found it.
    OperationEntry fileEntry(const SharedDirectory& prefix, const std::string& name,
                             const OtherSide& other, const FileLook& look);
    /// The facts of the counterpart named `name`, on the `other` side, of a file of the
    /// directory being scanned; 0 when it exists. Without `status` only its existence is asked.
    int lookUpCounterpart(OtherSide& other, std::string_view name, FileStatus* status,
                          LinkMode links);
    /// Appends a Delete line for the destination-side file or link `path`.
    void planRemoval(SharedPath path, const FileStatus& status);
    /// Plans the removal of a destination directory (whose facts are `facts`) and everything
    /// in it, deepest first, to make way for a file of a sync's source.
    void planTreeRemoval(const std::string& directory, const FileStatus& facts);
    /// Plans what makes the counterpart, on the `other` side, of the source subdirectory `hit`
    /// (Mkdir with the source's permissions, after the removal of a file or link there in a
    /// sync); Blocked, with an Error line, where something that is no directory stands in
    /// another mode.
    DestinationState prepareDestinationSubdirectory(DirectorySearch& hit, OtherSide& other);
    /// The destination path matching a path below the source directory.
    std::string destinationFor(const std::string& sourcePath) const;
    /// Notes a directory that could not be listed and was reported.
    void noteUnreadable(std::string_view directory);
    /// True when `directory` or one above it was reported unreadable: reported once, for the
    /// directory that could not be read, not again for each below it.
    bool wasReportedUnreadable(std::string_view directory) const;
    /// Reports a directory of the other side that could not be listed, once.
    void reportUnreadableOtherSide(int error, const OtherSide& other, const std::string& directory);
    /// True, after telling the user why, when the scanned directory whose status is `status`
    /// is (or, in a sync's deletions, holds) a directory of the other tree.
    bool meetsOtherTree(const FileStatus& status);
    /// Appends `entry` as an Error line: another line of the plan already writes its target.
    void appendDuplicate(OperationEntry entry);

    Platform m_platform;
    FileUtility m_utility;
    SearchSink* m_searchSink;
    OperationList& m_list;
    /// The job being scanned, during run().
    const JobSettings* m_job = nullptr;
    SyncPass m_pass = SyncPass::None;
    /// True when the job's destination names are the source names.
    bool m_keepsNames = true;
    /// Converts the file times of this scan's entries.
    FileTimeConverter m_times;
    /// The directories of this scan's paths, during run().
    DirectoryPairs m_pairs;
    int m_scanDepth = 0;
    /// From this scan depth on the other side is missing, or still to be made (-1: not so).
    int m_missingBelowDepth = -1;
    /// Destination directories a sync's first pass plans to clear for a file.
    std::set<std::string> m_syncRemoved;
    /// Directories that could not be listed (and were reported) during this scan.
    std::set<std::string> m_unreadable;
    /// The source tree, and the other tree where the scan looks at it, read ahead of the scan
    /// during run().
    std::unique_ptr<ListingReadAhead> m_readAhead;
    std::unique_ptr<ListingReadAhead> m_otherReadAhead;
    /// True while directories entered are compared with the other tree by identity.
    bool m_checksNesting = false;
    /// The identity of the job's destination root, while m_checksNesting outside a sync's
    /// deletions.
    Identity m_destinationRoot;
    /// Every directory of a sync's source tree met by its first pass: its second, walking the
    /// destination, deletes nothing in them.
    std::unordered_set<Identity, IdentityHash> m_sourceDirectories;
    /// The destination directories a sync's first pass plans to clear, by identity.
    std::vector<Identity> m_clearedDirectories;
    bool m_refusedNesting = false;
};

} // namespace ryk
