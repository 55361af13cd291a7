// Response mode's checks of a line: what its paths may lead through, where it may act, and the
// targets two lines of one file must not share.

#include "engine/FileUtility.h"
#include "engine/Patterns.h"
#include "engine/ResponsePlanner.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/text/NameMatch.h"

namespace ryk {

namespace {

/// A line's path is checked against links as a scan checks the directories below its root.
/// A relative path lies beneath the current directory, so no directory on its way there may be
/// a link (an absolute path names its directories as the user wrote them). A link named at the
/// end is the entry it is, as a scan meets one, never the directory the line plans in: a copied
/// list that names a link acts on the link alone, not on what it points to; such a path is
/// split into its parent and the link's name. 0, or kErrorLinkInTree for a path that leads
/// through a link ("dir/link/", or "link/name" when relative).
int checkLinks(FileSystem& fileSystem, std::string_view field, std::string& directory,
               std::string& pattern) {
    const std::string_view named = withoutTrailingSlashes(field);
    const size_t slash = named.rfind('/');
    FileStatus status;
    const auto isLink = [&](std::string_view path) {
        return fileSystem.status(std::string(path), status, LinkMode::Describe) == 0 &&
               status.kind == FileKind::Link;
    };
    if (!named.empty() && named.front() != '/' && slash != std::string_view::npos) {
        for (size_t end = named.find('/'); end != std::string_view::npos;
             end = named.find('/', end + 1)) {
            if (end > 0 && named[end - 1] != '/' && isLink(named.substr(0, end)))
                return kErrorLinkInTree;
        }
    }
    const std::string_view last = slash == std::string_view::npos ? named : named.substr(slash + 1);
    if (last.empty() || hasWildcard(last) || !isLink(named))
        return 0;
    if (named.size() != field.size())
        return kErrorLinkInTree;
    directory.assign(named.substr(0, slash == std::string_view::npos ? 0 : slash + 1));
    pattern.assign(last);
    applyDefaults(directory, pattern);
    return 0;
}

} // namespace

bool ResponsePlanner::refuseLinePaths(const LineFields& fields) {
    const bool writes = isUpdateOrMove(m_line.mode);
    const struct {
        const std::string* field;
        std::string* directory;
        std::string* pattern;
    } paths[] = {{&fields.source, &m_line.sourceDirectory, &m_line.sourcePatterns},
                 {writes ? &fields.destination : nullptr, &m_line.destinationDirectory,
                  &m_line.destinationPattern}};
    for (const auto& path : paths) {
        if (!path.field)
            continue;
        if (const int error =
                checkLinks(m_platform.fileSystem, *path.field, *path.directory, *path.pattern)) {
            m_list.appendError(std::string(withoutTrailingSlashes(*path.field)), error);
            m_line.mode = TransferMode::Response;
            return true;
        }
    }
    // As rm refuses "rm -rf /": the root is never a directory to delete or move from.
    if ((m_line.mode == TransferMode::Delete || m_line.mode == TransferMode::Move) &&
        FileUtility(m_platform).isFileSystemRoot(m_line.sourceDirectory)) {
        m_list.appendError(fields.source, kErrorRootRefused);
        m_line.mode = TransferMode::Response;
        return true;
    }
    return false;
}

bool ResponsePlanner::lineDirectoriesExist() {
    // A missing directory becomes an error line of its own instead of one message box per
    // line; the other lines still plan.
    const bool writes = isUpdateOrMove(m_line.mode);
    for (const std::string* directory :
         {&m_line.sourceDirectory, writes ? &m_line.destinationDirectory : nullptr}) {
        if (!directory)
            continue;
        FileStatus status;
        int error = m_platform.fileSystem.status(*directory, status, LinkMode::Follow);
        if (error == 0 && !(status.attributes & attr::kDirectory))
            error = kErrorNotADirectory;
        if (error != 0) {
            m_list.appendError(*directory, error);
            return false;
        }
    }
    return true;
}

std::string ResponsePlanner::targetKey(std::string_view path) {
    path = withoutTrailingSlashes(path);
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string_view::npos ? std::string(".")
                                  : slash == 0                    ? std::string("/")
                                               : std::string(path.substr(0, slash));
    if (directory != m_keyedDirectory || m_directoryKey.empty()) {
        // Named differently ("dst/", "./dst", a link) the directory is still the same one.
        if (const auto identity = m_platform.fileSystem.identity(directory))
            m_directoryKey =
                std::to_string(identity->device) + ':' + std::to_string(identity->inode);
        else
            m_directoryKey = '\0' + directory;
        m_keyedDirectory = directory;
    }
    std::string key = m_directoryKey;
    key += '/';
    key += slash == std::string_view::npos ? path : path.substr(slash + 1);
    return key;
}

void ResponsePlanner::refuseDuplicateTargets(size_t first) {
    for (size_t i = first; i < m_list.size(); ++i) {
        OperationEntry& entry = *m_list.at(i);
        // What the line writes: its target, or the directory a Mkdir makes.
        const bool writesTarget = hasTarget(entry.command);
        if (!writesTarget && entry.command != OperationCommand::Mkdir)
            continue;
        const SharedPath written = writesTarget ? entry.targetPath() : entry.source.path;
        if (m_written.insert(targetKey(written.str())).second)
            continue;
        entry.setCommand(OperationCommand::Error);
        entry.lastError = kErrorDuplicateTarget;
        entry.setTargetAtFault(writesTarget);
    }
}

} // namespace ryk
