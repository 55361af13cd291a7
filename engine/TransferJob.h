#pragma once

#include "engine/FileUtility.h"
#include "engine/JobSettings.h"
#include "engine/OperationEntry.h"
#include "engine/RunObserver.h"
#include "engine/ToolPaths.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

class CopyProgressSink;
enum class LinkMode;
struct FileStatus;
class DirectorySearch;
class LineReader;
class SearchSink;
enum class UserTextEncoding;
enum class BatchFunction;
enum class CommitMode;

/// The main-window controls a job can send the focus back to.
enum FocusControl : int32_t {
    kFocusNone = 0,
    kFocusSourceDirectory = 1000,
    kFocusDestinationDirectory = 1005,
};

/// One job from intake to run: its settings, its plan (the operation list) and the scan state.
/// The result window owns one; `ryk-cli` uses one directly.
class TransferJob {
public:
    /// "*.*": the pattern used wherever a pattern is empty, and to list every directory.
    static constexpr const char* kDefaultPattern = "*.*";

    TransferJob(const Platform& platform, SearchSink* searchSink = nullptr);
    ~TransferJob();
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    /// Takes the mode, the flag block (a byte marked not-applicable reads as off), the after
    /// date and the tool paths.
    void SetJob(TransferMode mode, const OptionFlags& flags, const DateTime& afterDate,
                const ToolPaths& tools = {});
    /// Takes the five texts, fills in defaults and checks the directories (a missing destination
    /// with `createDestination` is planned as Mkdir lines; a sync gets no default destination).
    /// False when a check failed; the message was shown and focusControl() names the field to
    /// correct.
    [[nodiscard]] bool SetPaths(const std::string& sourceDirectory, const std::string& sourcePatterns,
                  const std::string& exclusionPatterns, const std::string& destinationDirectory,
                  const std::string& destinationPattern);
    void SetExplorerStyle(bool on) { m_job.explorerStyle = on; }
    /// The whole intake of a job stated at once, as on a command line: SetJob with the tool
    /// paths, the create-destination choice, SetPaths and, when that succeeded,
    /// SetExplorerStyle.
    [[nodiscard]] bool takeJob(const JobSettings& settings, const ToolPaths& tools = {});
    void setCreateDestination(bool on) { m_job.createDestination = on; }

    /// Plans the job by its mode; false when the plan was abandoned (the owner then empties
    /// the list: a response file plans line by line into one list).
    [[nodiscard]] bool PlanJob();

    // The tree scan.
    /// True when the job directory exists (or a missing destination was planned for).
    bool checkDirectory(const std::string& path, bool isDestination);
    /// Plans Mkdir lines for every missing level of a destination directory path.
    void planDestinationPath(const std::string& path);
    /// Scans one directory (and, with subdirectories, the tree below it); the number of file
    /// entries planned, or -1 when the scan failed or was stopped.
    int scanTree(const std::string& directory, int* filesMet = nullptr);
    /// Decides one file of `directory`; true when an entry was appended.
    bool planFile(const std::string& directory, DirectorySearch& hit);
    /// True when the destination counterpart of a source subdirectory exists; otherwise a Mkdir
    /// line is planned for it.
    bool planDestinationSubdirectory(const std::string& sourceSubdirectory);
    /// Appends a Mkdir entry for `path`.
    OperationEntry& planMkdir(const std::string& path) {
        return planLine(OperationCommand::Mkdir, path);
    }

    // Response mode.
    /// Plans every line of the response file named by `sourcePatterns`; the entry count.
    int RunResponseFile();
    /// Plans one response line; 1 when it added an entry or ran a plan that was not abandoned.
    int PlanResponseLine(std::string_view line);
    /// Index of the first of `words` equal to `word` (mode 0 exactly, 1 ignoring ASCII case),
    /// or -1.
    static int FindKeyword(std::string_view word, const char* const* words, int mode);
    /// Field `n` (from 1) of a response line's arguments; false when there is none.
    static bool GetField(std::string_view text, int n, std::string& out);

    // Sync mode.
    /// Plans the destination tree equal to the source tree: copies of what is missing or
    /// differs, then deletions of what the source does not have; the sum of the two passes.
    int RunSync();

    // The run.
    /// Runs every pending entry in list order; stops at the abort key. Entries handed to a
    /// batch are carried out before the run ends, and every entry keeps the state it reached.
    RunSummary OnOK(RunObserver& observer, CopyProgressSink& progress);
    /// Carries out one entry (Find and Error do nothing).
    EntryOutcome ExecuteEntry(OperationEntry& entry, CopyProgressSink& progress, bool hasNextNode);
    /// Offers an entry to the batch: 1 carried out, -1 kept for later, 0 not carried out.
    int OfferToShell(OperationEntry& entry, CopyProgressSink& progress, bool defer,
                     BatchFunction function);
    /// True once the user asked to stop during the current run.
    bool stopRequested() const { return m_stopRequested; }

    OperationList& list() { return m_list; }
    const OperationList& list() const { return m_list; }
    const JobSettings& job() const { return m_job; }
    JobSettings& job() { return m_job; }
    const ToolPaths& tools() const { return m_tools; }
    const FileUtility& utility() const { return m_utility; }
    int32_t focusControl() const { return m_focusControl; }
    void setFocusControl(int32_t control) { m_focusControl = control; }
    int scanResult() const { return m_scanResult; }

private:
    bool isUpdateOrMove() const {
        return m_job.mode == TransferMode::Update || m_job.mode == TransferMode::Move;
    }
    /// Applies the empty-text defaults to a directory and its pattern.
    static void applyDefaults(std::string& directory, std::string& pattern);
    /// True when the directory `inner` is `outer` or lies inside it (for one not made yet: its
    /// nearest existing parent), whatever links or mounts name them.
    bool isWithinTree(const std::string& inner, const std::string& outer) const;
    /// The message that refuses a job whose trees lie one inside the other in a way that would
    /// copy a copy again or delete the source; null when there is none.
    const char* nestingProblem() const;
    /// Notes a directory that could not be listed and was reported.
    void noteUnreadable(std::string_view directory);
    /// True when `directory` or one above it was reported unreadable: reported once, for the
    /// directory that could not be read, not again for each below it.
    bool wasReportedUnreadable(std::string_view directory) const;
    /// The destination path matching a path below the source directory.
    std::string destinationFor(const std::string& sourcePath) const;

    /// Which half of a sync plan is being scanned.
    enum class SyncPass { None, Copies, Deletions };
    /// What is known of the other side of the directory being scanned: the destination of an
    /// update or move, the source of a sync's deletions.
    enum class Counterparts { None, Listed, Missing };
    /// The facts of `path`, the counterpart named `name` in the directory being scanned; 0 when
    /// it exists. Without `status` only its existence is asked.
    int lookUpCounterpart(const std::string& path, std::string_view name, FileStatus* status,
                          LinkMode links);
    /// Appends a pending entry that acts on `path` alone (Mkdir, Rmdir, Error); `rootLength`
    /// as in FileFacts.
    OperationEntry& planLine(OperationCommand command, std::string path,
                             size_t rootLength = TreePath::kWholeParent);
    /// Appends an Error line for `path` with the reason `error`.
    void planError(std::string path, int error);
    /// Appends a Delete line for the destination-side file or link `path`.
    void planRemoval(const std::string& path, const FileStatus& status);
    /// Plans the removal of a destination directory and everything in it, deepest first, to
    /// make way for a file of a sync's source.
    void planTreeRemoval(const std::string& directory);
    /// What stands where a source subdirectory's counterpart belongs.
    enum class DestinationState { Exists, Planned, Blocked };
    /// Plans what makes the destination counterpart of a source subdirectory (Mkdir with the
    /// source's `permissions`, after the removal of a file or link there in a sync); Blocked,
    /// with an Error line, where something that is no directory stands in another mode.
    DestinationState prepareDestinationSubdirectory(const std::string& sourceSubdirectory,
                                                    uint32_t permissions);
    /// Plans the lines of an open response file from its start; 0 at the end of the file or
    /// the error code of a read that failed.
    int planResponseLines(LineReader& reader, UserTextEncoding encoding);
    /// Plans a response line of which only the head was kept: its content when a comment
    /// begins within the head, otherwise an Error line for the whole line.
    int planOverLongLine(std::string_view head);
    /// An Error line that shows the start of a response line that cannot be planned.
    int planRefusedLine(std::string_view line);
    /// Copies the file of a copying entry, noting a stop the user asked for during the copy.
    bool copyEntryFile(OperationEntry& entry, CopyProgressSink& progress);

    Platform m_platform;
    FileUtility m_utility;
    SearchSink* m_searchSink;
    JobSettings m_job;
    ToolPaths m_tools;
    OperationList m_list;
    int32_t m_focusControl = kFocusNone;
    int m_scanResult = 0;
    int m_scanDepth = 0;
    SyncPass m_syncPass = SyncPass::None;
    Counterparts m_counterparts = Counterparts::None;
    DirectorySearch* m_counterpartListing = nullptr;
    /// From this scan depth on the destination side is still to be made (-1: not so).
    int m_missingBelowDepth = -1;
    /// Destination directories a sync's first pass plans to clear for a file.
    std::set<std::string> m_syncRemoved;
    /// Directories that could not be listed (and were reported) during this plan.
    std::set<std::string> m_unreadable;

    /// A collected batch: its function, paths and the rows of its entries.
    struct PendingBatch {
        int function = 0;
        std::vector<TreePath> from;
        std::vector<TreePath> to;
        std::vector<CommitMode> modes;
        std::vector<OperationEntry*> entries;
        std::vector<size_t> rows;
    };
    /// Carries out the collected batch and gives each of its entries its own outcome.
    void flushBatch();
    PendingBatch m_batch;
    RunObserver* m_observer = nullptr;
    size_t m_currentRow = 0;
    int m_runErrors = 0;
    bool m_stopRequested = false;
};

} // namespace ryk
