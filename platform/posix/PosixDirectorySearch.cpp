#include "platform/posix/PosixDirectorySearch.h"

#include "platform/ErrorCodes.h"
#include "platform/text/NameMatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

namespace {

bool isDotsName(std::string_view name) {
    return name == "." || name == "..";
}

} // namespace

PosixDirectorySearch::~PosixDirectorySearch() {
    close();
}

int PosixDirectorySearch::findFile(std::string_view pathOrPattern) {
    close();
    const size_t slash = pathOrPattern.rfind('/');
    const std::string_view last =
        slash == std::string_view::npos ? pathOrPattern : pathOrPattern.substr(slash + 1);
    // A directory path ending in '/' (the root included) names no file to find.
    if (last.empty())
        return kErrorFileNotFound;
    if (slash != std::string_view::npos)
        m_directory.assign(pathOrPattern.substr(0, slash + 1));
    if (hasWildcard(last))
        return listDirectory(last);
    return describePath(pathOrPattern, last);
}

int PosixDirectorySearch::describePath(std::string_view path, std::string_view name) {
    m_pathBuffer.assign(path);
    if (const int error = statAt(AT_FDCWD, m_pathBuffer.c_str(), m_pathStat)) {
        m_directory.clear();
        return error;
    }
    m_names.assign(name);
    m_entries.push_back({0, static_cast<uint32_t>(name.size()),
                         S_ISDIR(m_pathStat.mode) ? Kind::Directory : Kind::Other,
                         isDotsName(name)});
    return 0;
}

int PosixDirectorySearch::listDirectory(std::string_view pattern) {
    const char* directory = m_directory.empty() ? "." : m_directory.c_str();
    const int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        close();
        return error;
    }
    m_dir = fdopendir(fd);
    if (!m_dir) {
        const int error = errno;
        ::close(fd);
        close();
        return error;
    }
    for (;;) {
        errno = 0;
        const dirent* d = readdir(m_dir);
        if (!d) {
            if (errno != 0) {
                const int error = errno;
                close();
                return error;
            }
            break;
        }
        const std::string_view name(d->d_name);
        if (!matchesNamePattern(pattern, name))
            continue;
        Kind kind = d->d_type == DT_DIR ? Kind::Directory : Kind::Other;
        if (d->d_type == DT_UNKNOWN) {
            // Some file systems do not fill in the type; only then is a stat needed.
            struct stat st;
            if (fstatat(dirfd(m_dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISDIR(st.st_mode))
                kind = Kind::Directory;
        }
        m_entries.push_back(
            {m_names.size(), static_cast<uint32_t>(name.size()), kind, isDotsName(name)});
        m_names.append(name);
    }
    if (m_entries.empty()) {
        close();
        return kErrorFileNotFound;
    }
    std::sort(m_entries.begin(), m_entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.dots || b.dots) {
            // "." before "..", both before every other name.
            if (a.dots != b.dots)
                return a.dots;
            return a.length < b.length;
        }
        return compareNames(nameOf(a), nameOf(b)) < 0;
    });
    return 0;
}

bool PosixDirectorySearch::seek(std::string_view name) {
    // The hits are sorted by compareNames, a total order, after the dots.
    const auto first = std::find_if(m_entries.begin(), m_entries.end(),
                                    [](const Entry& e) { return !e.dots; });
    const auto it = std::lower_bound(first, m_entries.end(), name,
                                     [this](const Entry& e, std::string_view wanted) {
                                         return compareNames(nameOf(e), wanted) < 0;
                                     });
    if (it == m_entries.end() || nameOf(*it) != name) {
        // A dots name is found among the dots.
        for (auto d = m_entries.begin(); d != first; ++d)
            if (nameOf(*d) == name) {
                m_next = static_cast<size_t>(d - m_entries.begin());
                return findNextFile();
            }
        return false;
    }
    m_next = static_cast<size_t>(it - m_entries.begin());
    return findNextFile();
}

int PosixDirectorySearch::rewind() {
    if (m_entries.empty())
        return kErrorFileNotFound;
    m_next = 0;
    m_haveHit = false;
    return 0;
}

bool PosixDirectorySearch::findNextFile() {
    if (m_next >= m_entries.size()) {
        m_haveHit = false;
        return false;
    }
    const Entry& entry = m_entries[m_next++];
    m_name.assign(nameOf(entry));
    m_kind = entry.kind;
    m_dots = entry.dots;
    m_haveHit = true;
    return true;
}

std::string PosixDirectorySearch::filePath() const {
    return m_directory + m_name;
}

int PosixDirectorySearch::status(FileStatus& out) {
    if (!m_haveHit)
        return kErrorFileNotFound;
    RawStat stat = m_pathStat;
    if (m_dir) {
        if (const int error = statAt(dirfd(m_dir), m_name.c_str(), stat))
            return error;
    }
    uint32_t storedBits = 0;
    if (m_readStoredBits) {
        m_pathBuffer.assign(m_directory);
        m_pathBuffer.append(m_name);
        storedBits = readStoredBits(m_pathBuffer.c_str());
    }
    uint32_t attributes = attributeWordWith(stat, m_name, storedBits);
    if (m_dots)
        attributes |= attr::kDots;
    toFileStatus(stat, attributes, out);
    return 0;
}

void PosixDirectorySearch::close() {
    if (m_dir) {
        closedir(m_dir);
        m_dir = nullptr;
    }
    m_directory.clear();
    m_names.clear();
    m_entries.clear();
    m_next = 0;
    m_name.clear();
    m_kind = Kind::Other;
    m_dots = false;
    m_haveHit = false;
}

} // namespace ryk
