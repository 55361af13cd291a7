#include "engine/TransferJob.h"

#include "engine/HardLinks.h"
#include "engine/Patterns.h"
#include "engine/ResponsePlanner.h"
#include "engine/RunDriver.h"
#include "engine/SyncPlanner.h"
#include "engine/TreeScan.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ProgressSinks.h"
#include "platform/text/NameMatch.h"

namespace ryk {

namespace {

constexpr SourceText kSyncNeedsDestination =
    translatable("TransferJob", "同期モードでは転送先を指定してください。");
constexpr SourceText kSyncNeedsSource =
    translatable("TransferJob", "同期モードでは転送元のディレクトリを指定してください。");
constexpr SourceText kSyncDestinationPattern =
    translatable("TransferJob", "同期モードの転送先にワイルドカードは使えません: ");
constexpr SourceText kNoDestinationDirectory =
    translatable("TransferJob", "転送先のディレクトリがありません: ");
constexpr SourceText kRootNotDeleted =
    translatable("TransferJob", "ファイルシステムのルート (/) は削除できません: ");
constexpr SourceText kRootNotMoved =
    translatable("TransferJob", "ファイルシステムのルート (/) からは移動できません: ");
constexpr SourceText kRootNotSynced =
    translatable("TransferJob", "ファイルシステムのルート (/) には同期できません: ");

/// True when `pattern` names one thing: no wildcard and no list of patterns.
bool isPlainName(const std::string& pattern) {
    return !hasWildcard(pattern) && pattern.find(';') == std::string::npos;
}

/// `name` as a directory below `directory` (an empty directory gives the name alone).
std::string joinedDirectory(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directoryPrefix(directory) + name;
}

} // namespace

TransferJob::TransferJob(const Platform& platform, SearchSink* searchSink)
    : m_platform(platform), m_utility(m_platform), m_searchSink(searchSink) {}

TransferJob::~TransferJob() = default;

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
    m_utility.ShowSystemError(error, path);
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

bool TransferJob::checkPaths() {
    m_focusField = JobField::SourceDirectory;
    const bool sync = m_job.mode == TransferMode::Sync;
    if (sync && !takeSyncSource())
        return false;
    applyDefaults(m_job.sourceDirectory, m_job.sourcePatterns);
    if (!checkDirectory(m_job.sourceDirectory, false))
        return false;
    // As rm refuses "rm -rf /": whatever name leads there, the root is never emptied.
    const SourceText* rootMessage = m_job.mode == TransferMode::Delete ? &kRootNotDeleted
                                    : m_job.mode == TransferMode::Move ? &kRootNotMoved
                                                                       : nullptr;
    if (rootMessage && m_utility.isFileSystemRoot(m_job.sourceDirectory)) {
        m_platform.messageBox.tell(m_platform.translation(*rootMessage) + m_job.sourceDirectory);
        return false;
    }
    // A sync writes into its destination as an update does.
    if (isUpdateOrMove(m_job.mode) || sync) {
        m_focusField = JobField::DestinationDirectory;
        if (sync) {
            if (!takeSyncDestination())
                return false;
        } else {
            if (m_job.createDestination)
                takeNameAsDirectory();
            applyDefaults(m_job.destinationDirectory, m_job.destinationPattern);
            if (!checkDirectory(m_job.destinationDirectory, true))
                return false;
        }
        if (const char* message = nestingProblem()) {
            m_platform.messageBox.tell(m_platform.translation.translate("TreeScan", message));
            return false;
        }
    }
    m_focusField = JobField::None;
    return true;
}

bool TransferJob::takeSyncSource() {
    // Its patterns choose what it deletes too; but the directory is never implied: a name
    // without a directory ("photos") is the directory, and patterns alone are refused.
    if (!m_job.sourceDirectory.empty())
        return true;
    if (m_job.sourcePatterns.empty() || !isPlainName(m_job.sourcePatterns)) {
        m_platform.messageBox.tell(m_platform.translation(kSyncNeedsSource));
        return false;
    }
    m_job.sourceDirectory = std::move(m_job.sourcePatterns);
    m_job.sourcePatterns.clear();
    return true;
}

bool TransferJob::takeSyncDestination() {
    // A sync deletes what its source lacks, so its destination is one directory, stated in
    // full: a name after the directory ("backup/photos", however it was split) is part of it,
    // never a pattern, and nothing defaults to ".".
    std::string& directory = m_job.destinationDirectory;
    std::string& pattern = m_job.destinationPattern;
    if (!keepsNames(pattern)) {
        if (!isPlainName(pattern)) {
            m_platform.messageBox.tell(m_platform.translation(kSyncDestinationPattern) +
                                       directoryPrefix(directory) + pattern);
            return false;
        }
        directory = joinedDirectory(directory, pattern);
    }
    pattern.clear();
    if (directory.empty()) {
        m_platform.messageBox.tell(m_platform.translation(kSyncNeedsDestination));
        return false;
    }
    if (!m_utility.isExistingDirectory(directory)) {
        FileStatus status;
        const int error = m_platform.fileSystem.status(directory, status, LinkMode::Follow);
        if (error == kErrorPathNotFound && m_job.createDestination) {
            planDestinationPath(directory);
        } else if (error == kErrorPathNotFound) {
            m_platform.messageBox.tell(m_platform.translation(kNoDestinationDirectory) + directory);
            return false;
        } else {
            m_utility.ShowSystemError(error != 0 ? error : kErrorNotADirectory, directory);
            return false;
        }
    } else if (!checkDirectory(directory, true)) {
        return false;
    }
    if (m_utility.isFileSystemRoot(directory)) {
        m_platform.messageBox.tell(m_platform.translation(kRootNotSynced) + directory);
        return false;
    }
    return true;
}

void TransferJob::takeNameAsDirectory() {
    // With "create the destination" on, a plain name that nothing stands at yet is the
    // directory to make, as the main window's destination box reads it; a file of that name
    // is still the one name to write.
    std::string& pattern = m_job.destinationPattern;
    if (keepsNames(pattern) || !isPlainName(pattern))
        return;
    const std::string path = joinedDirectory(m_job.destinationDirectory, pattern);
    FileStatus status;
    const int error = m_platform.fileSystem.status(path, status, LinkMode::Follow);
    if (error == kErrorPathNotFound || (error == 0 && (status.attributes & attr::kDirectory))) {
        m_job.destinationDirectory = path;
        pattern.clear();
    }
}

bool TransferJob::isWithinTree(const std::string& inner, const std::string& outer) const {
    FileSystem& fs = m_platform.fileSystem;
    const auto outerIdentity = fs.identity(outer);
    if (!outerIdentity)
        return false;
    // A directory still to be made lies where its nearest existing parent lies.
    std::string probe = inner.empty() ? std::string(1, '.') : inner;
    ErrorOr<std::string> resolved = fs.resolvePath(probe);
    while (!resolved) {
        std::string parent = parentPath(probe);
        if (parent == probe)
            return false;
        probe = std::move(parent);
        resolved = fs.resolvePath(probe);
    }
    // Compared by identity, so that a bind mount or a link naming the same directory counts.
    for (std::string at = *resolved;; at = parentPath(at)) {
        const auto identity = fs.identity(at);
        if (identity && *identity == *outerIdentity)
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
    m_job = settings;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        m_job.flags[i] = static_cast<uint8_t>(effectiveFlag(settings.flags[i]));
    m_shownMode = m_job.mode;
    m_tools = tools;
    return checkPaths();
}

bool TransferJob::PlanJob() {
    PlanOutcome outcome;
    switch (m_job.mode) {
    case TransferMode::Response:
        outcome = ResponsePlanner(m_platform, m_searchSink, m_list, m_job)
                      .RunResponseFile(m_job.sourcePatterns);
        break;
    case TransferMode::Sync:
        outcome = SyncPlanner(m_platform, m_searchSink, m_list).RunSync(m_job);
        break;
    default:
        outcome.planned = TreeScan(m_platform, m_searchSink, m_list).run(m_job) != -1;
        outcome.shownMode = m_job.mode;
        break;
    }
    m_shownMode = outcome.shownMode;
    // A batch copies in an order of its own, where no copy can wait for another.
    if (outcome.planned && m_job.hardLinks && !m_job.explorerStyle &&
        (m_job.mode == TransferMode::Update || m_job.mode == TransferMode::Sync))
        planHardLinks(m_list, m_platform.fileSystem);
    // A line that names its own directory (Mkdir, Rmdir) is resolved in the directory above
    // it: the run acts there only while it is the one the plan saw.
    for (const auto& entry : m_list)
        if ((entry->command == OperationCommand::Mkdir ||
             entry->command == OperationCommand::Rmdir) &&
            entry->source.path.rootLength() == TreePath::kWholeParent)
            pinRoot(m_list, m_platform.fileSystem, parentPath(entry->source.path.str()));
    m_focusField = JobField::SourceDirectory;
    return outcome.planned;
}

std::optional<VolumeSpace> TransferJob::summaryVolume() const {
    const std::string* directory = nullptr;
    switch (m_shownMode) {
    case TransferMode::Update:
    case TransferMode::Move:
        directory = &m_job.destinationDirectory;
        break;
    case TransferMode::Search:
    case TransferMode::Delete:
        directory = &m_job.sourceDirectory;
        break;
    case TransferMode::Response:
    case TransferMode::Sync:
        return std::nullopt;
    }
    VolumeSpace space;
    if (!directory || !m_utility.GetDiskSpace(*directory, space.freeBytes, space.totalBytes))
        return std::nullopt;
    return space;
}

RunSummary TransferJob::OnOK(RunObserver& observer, CopyProgressSink& progress) {
    // A sync's or a deletion's emptied directories are part of what it deletes; a move's are
    // only left behind.
    const RunChoices choices{
        .explorerStyle = m_job.explorerStyle,
        .trash = m_job.trash,
        .trashDirectories =
            m_job.trash && (m_job.mode == TransferMode::Sync || m_job.mode == TransferMode::Delete),
        .verify = m_job.verify};
    RunDriver driver(m_platform, m_list, choices, observer);
    const RunSummary summary = driver.OnOK(progress);
    m_stopRequested = driver.stopRequested();
    return summary;
}

} // namespace ryk
