#pragma once

#include "engine/FileUtility.h"
#include "engine/JobSettings.h"
#include "engine/ListText.h"
#include "engine/OperationEntry.h"
#include "engine/RunObserver.h"
#include "engine/ToolPaths.h"
#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ryk {

class CopyProgressSink;
class SearchSink;

/// The main-window controls a job can send the focus back to.
enum FocusControl : int32_t {
    kFocusNone = 0,
    kFocusSourceDirectory = 1000,
    kFocusDestinationDirectory = 1005,
};

/// One job from intake to run: its settings and its plan (the operation list). The planners
/// and the run driver do the work; the job holds what they leave: the settings in the state
/// the last plan left them, the list, and the field to send the focus back to.
class TransferJob {
public:
    /// "*.*": the pattern used wherever a pattern is empty, and to list every directory.
    static constexpr const char* kDefaultPattern = ryk::kDefaultPattern;

    TransferJob(const Platform& platform, SearchSink* searchSink = nullptr);
    ~TransferJob();
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    /// Takes the mode, the flag block (a byte marked not-applicable reads as off), the after
    /// date and the tool paths.
    void SetJob(TransferMode mode, const OptionFlags& flags, const DateTime& afterDate,
                const ToolPaths& tools = {});
    /// Takes the five texts, fills in defaults and checks the directories (a missing destination
    /// with `createDestination` is planned as Mkdir lines, and a plain destination name then
    /// names a directory too; a sync's destination is always one directory, never "." by
    /// default, nor is its source; "/" is no root of a Delete, a Move's source or a sync's
    /// destination).
    /// False when a check failed; the message was shown and focusControl() names the field to
    /// correct.
    [[nodiscard]] bool SetPaths(const std::string& sourceDirectory,
                                const std::string& sourcePatterns,
                                const std::string& exclusionPatterns,
                                const std::string& destinationDirectory,
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

    /// Runs every pending entry in list order; stops at the abort key. Entries handed to a
    /// batch are carried out before the run ends, and every entry keeps the state it reached.
    RunSummary OnOK(RunObserver& observer, CopyProgressSink& progress);
    /// True once the user asked to stop during the last run.
    bool stopRequested() const { return m_stopRequested; }

    OperationList& list() { return m_list; }
    const OperationList& list() const { return m_list; }
    const JobSettings& job() const { return m_job; }
    const ToolPaths& tools() const { return m_tools; }
    const FileUtility& utility() const { return m_utility; }
    /// The volume the plan's summary reports on, measured now: the destination's for an update
    /// or move, the source's for a search or delete; nullopt in the other modes and when it
    /// cannot be measured.
    std::optional<VolumeSpace> summaryVolume() const;
    int32_t focusControl() const { return m_focusControl; }
    void setFocusControl(int32_t control) { m_focusControl = control; }
    int scanResult() const { return m_scanResult; }

private:
    /// True when the job directory exists (or a missing destination was planned for).
    bool checkDirectory(const std::string& path, bool isDestination);
    /// Plans Mkdir lines for every missing level of a destination directory path.
    void planDestinationPath(const std::string& path);
    /// A sync's source: a bare name is its directory; no directory at all is refused.
    bool takeSyncSource();
    /// A sync's destination as one existing directory (or one to make); false after a message.
    bool takeSyncDestination();
    /// With createDestination: a destination name without wildcards where nothing or a
    /// directory stands becomes part of the destination directory.
    void takeNameAsDirectory();
    /// True when the directory `inner` is `outer` or lies inside it (for one not made yet: its
    /// nearest existing parent), whatever links or mounts name them.
    bool isWithinTree(const std::string& inner, const std::string& outer) const;
    /// The message that refuses a job whose trees lie one inside the other in a way that would
    /// copy a copy again or delete the source; null when there is none.
    const char* nestingProblem() const;
    /// Plans the response file named by `sourcePatterns`; the entry count.
    int RunResponseFile();
    /// Plans the destination tree equal to the source tree: copies of what is missing or
    /// differs, then deletions of what the source does not have; the sum of the two passes, or
    /// -1 when the trees were found inside each other.
    int RunSync();

    Platform m_platform;
    FileUtility m_utility;
    SearchSink* m_searchSink;
    JobSettings m_job;
    ToolPaths m_tools;
    OperationList m_list;
    int32_t m_focusControl = kFocusNone;
    int m_scanResult = 0;
    bool m_stopRequested = false;
};

} // namespace ryk
