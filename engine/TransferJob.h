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

/// The fields of a job its owner can send the user back to.
enum class JobField { None, SourceDirectory, DestinationDirectory };

/// One job from intake to run: its settings and its plan (the operation list). The planners
/// and the run driver do the work; the job holds what they leave: the list, the mode the plan
/// is shown as, and the field to send the focus back to. The settings stay as they were taken.
class TransferJob {
public:
    TransferJob(const Platform& platform, SearchSink* searchSink = nullptr);
    ~TransferJob();
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    /// The whole intake of a job stated at once, as on a command line or in the main window: the
    /// mode, the flag block (a byte marked not-applicable reads as off), the after date, the five
    /// texts, the create-destination and Explorer choices, and the tool paths. Fills in the
    /// defaults and checks the directories (a missing destination with `createDestination` is
    /// planned as Mkdir lines, and a plain destination name then names a directory too; a sync's
    /// destination is always one directory, never "." by default, nor is its source; "/" is no
    /// root of a Delete, a Move's source or a sync's destination).
    /// False when a check failed; the message was shown and focusField() names the field to
    /// correct.
    [[nodiscard]] bool takeJob(const JobSettings& settings, const ToolPaths& tools = {});

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
    /// The settings as takeJob() checked them and filled in their defaults.
    const JobSettings& job() const { return m_job; }
    /// The mode the plan is shown as (the list's columns, the summary's form): the job's own,
    /// but a sync's plan reads as an update of its destination.
    TransferMode shownMode() const { return m_shownMode; }
    const ToolPaths& tools() const { return m_tools; }
    /// The volume the plan's summary reports on, measured now: the destination's for a plan
    /// shown as an update or move, the source's for a search or delete; nullopt in the other
    /// modes and when it cannot be measured.
    std::optional<VolumeSpace> summaryVolume() const;
    /// The field to send the focus back to: the one a check refused, the source once planned.
    JobField focusField() const { return m_focusField; }
    void setFocusField(JobField field) { m_focusField = field; }

private:
    /// Fills in the defaults of the taken texts and checks them, as takeJob() says.
    bool checkPaths();
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

    Platform m_platform;
    FileUtility m_utility;
    SearchSink* m_searchSink;
    JobSettings m_job;
    TransferMode m_shownMode = TransferMode::Update;
    ToolPaths m_tools;
    OperationList m_list;
    JobField m_focusField = JobField::None;
    bool m_stopRequested = false;
};

} // namespace ryk
