#include "engine/TransferJob.h"

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

void TransferJob::applyDefaults(std::string& directory, std::string& pattern) {
    if (directory.empty()) {
        directory = ".";
        if (pattern == ".")
            pattern.clear();
    }
    if (pattern.empty())
        pattern = kDefaultPattern;
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
    if (isUpdateOrMove() || m_job.mode == TransferMode::Sync) {
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
    }
    m_focusControl = kFocusNone;
    return true;
}

bool TransferJob::takeJob(const JobSettings& settings) {
    SetJob(settings.mode, settings.flags, settings.afterDate);
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
        if (m_searchSink)
            m_searchSink->showDetailPath({});
        m_scanDepth = 0;
        m_scanResult = scanTree(m_job.sourceDirectory);
        break;
    }
    m_focusControl = kFocusSourceDirectory;
    return m_scanResult != -1;
}

} // namespace ryk
