#include "engine/TransferJob.h"

#include "engine/Patterns.h"
#include "engine/ResponsePlanner.h"
#include "engine/RunDriver.h"
#include "engine/TreeScan.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ProgressSinks.h"

namespace ryk {

namespace {

constexpr const char* kSyncNeedsDestination = "同期モードでは転送先を指定してください。";

} // namespace

TransferJob::TransferJob(const Platform& platform, SearchSink* searchSink)
    : m_platform(platform), m_utility(m_platform), m_searchSink(searchSink) {}

TransferJob::~TransferJob() = default;

void TransferJob::SetJob(TransferMode mode, const OptionFlags& flags, const DateTime& afterDate,
                         const ToolPaths& tools) {
    m_job.mode = mode;
    m_job.afterDate = afterDate;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        m_job.flags[i] = static_cast<uint8_t>(effectiveFlag(flags[i]));
    m_tools = tools;
}

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
                m_list.appendLine(OperationCommand::Mkdir, current);
        }
        pos = end + 1;
    }
}

bool TransferJob::SetPaths(const std::string& sourceDirectory, const std::string& sourcePatterns,
                           const std::string& exclusionPatterns,
                           const std::string& destinationDirectory,
                           const std::string& destinationPattern) {
    m_job.sourceDirectory = sourceDirectory;
    m_job.sourcePatterns = sourcePatterns;
    m_job.exclusionPatterns = exclusionPatterns;
    m_job.destinationDirectory = destinationDirectory;
    m_job.destinationPattern = destinationPattern;
    m_focusControl = kFocusSourceDirectory;
    applyDefaults(m_job.sourceDirectory, m_job.sourcePatterns);
    if (!checkDirectory(m_job.sourceDirectory, false))
        return false;
    // A sync writes into its destination as an update does.
    if (isUpdateOrMove(m_job.mode) || m_job.mode == TransferMode::Sync) {
        m_focusControl = kFocusDestinationDirectory;
        // A sync deletes what its source lacks: defaulting to "." could empty the working
        // directory, so its destination is never implied.
        if (m_job.mode == TransferMode::Sync && m_job.destinationDirectory.empty() &&
            m_job.destinationPattern.empty()) {
            m_platform.messageBox.tell(kSyncNeedsDestination);
            return false;
        }
        applyDefaults(m_job.destinationDirectory, m_job.destinationPattern);
        if (!checkDirectory(m_job.destinationDirectory, true))
            return false;
        if (const char* message = nestingProblem()) {
            m_platform.messageBox.tell(message);
            return false;
        }
    }
    m_focusControl = kFocusNone;
    return true;
}

bool TransferJob::isWithinTree(const std::string& inner, const std::string& outer) const {
    FileSystem& fs = m_platform.fileSystem;
    uint64_t outerDevice = 0;
    uint64_t outerInode = 0;
    if (fs.identity(outer, outerDevice, outerInode) != 0)
        return false;
    // A directory still to be made lies where its nearest existing parent lies.
    std::string probe = inner.empty() ? std::string(1, '.') : inner;
    std::string resolved;
    while (fs.resolvePath(probe, resolved) != 0) {
        std::string parent = parentPath(probe);
        if (parent == probe)
            return false;
        probe = std::move(parent);
    }
    // Compared by identity, so that a bind mount or a link naming the same directory counts.
    for (std::string at = resolved;; at = parentPath(at)) {
        uint64_t device = 0;
        uint64_t inode = 0;
        if (fs.identity(at, device, inode) == 0 && device == outerDevice && inode == outerInode)
            return true;
        if (at == "/")
            return false;
    }
}

const char* TransferJob::nestingProblem() const {
    const std::string& source = m_job.sourceDirectory;
    const std::string& destination = m_job.destinationDirectory;
    const bool sync = m_job.mode == TransferMode::Sync;
    const bool recursive = effectiveFlag(m_job.flags.subdirectories) != 0;
    if (!sync && !recursive)
        return nullptr;
    const bool destinationInSource = isWithinTree(destination, source);
    const bool sourceInDestination = isWithinTree(source, destination);
    // The same directory is a sync with nothing to do, but an update that renames by its
    // destination pattern.
    if (sync && destinationInSource && sourceInDestination)
        return kDestinationInsideSource;
    if (!recursive)
        return nullptr;
    // Below the source, every run would copy the last copy once more.
    if (destinationInSource && !sourceInDestination)
        return kDestinationInsideSource;
    // A sync would delete its own source as a directory the source does not have.
    if (sync && sourceInDestination)
        return kSourceInsideDestination;
    return nullptr;
}

bool TransferJob::takeJob(const JobSettings& settings, const ToolPaths& tools) {
    SetJob(settings.mode, settings.flags, settings.afterDate, tools);
    setCreateDestination(settings.createDestination);
    if (!SetPaths(settings.sourceDirectory, settings.sourcePatterns, settings.exclusionPatterns,
                  settings.destinationDirectory, settings.destinationPattern))
        return false;
    SetExplorerStyle(settings.explorerStyle);
    return true;
}

bool TransferJob::PlanJob() {
    switch (m_job.mode) {
    case TransferMode::Response:
        m_scanResult = RunResponseFile();
        break;
    case TransferMode::Sync:
        m_scanResult = RunSync();
        break;
    default:
        m_scanResult = TreeScan(m_platform, m_searchSink, m_list).run(m_job);
        break;
    }
    m_focusControl = kFocusSourceDirectory;
    return m_scanResult != -1;
}

int TransferJob::RunResponseFile() {
    // The file's name is the job's source patterns until the lines overwrite them.
    ResponsePlanner planner(m_platform, m_searchSink, m_list, m_job);
    const int entries = planner.RunResponseFile(m_job.sourcePatterns);
    m_job = planner.job();
    return entries;
}

RunSummary TransferJob::OnOK(RunObserver& observer, CopyProgressSink& progress) {
    RunDriver driver(m_platform, m_list, m_job.explorerStyle, observer);
    const RunSummary summary = driver.OnOK(progress);
    m_stopRequested = driver.stopRequested();
    return summary;
}

} // namespace ryk
