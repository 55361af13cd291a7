#include "platform/posix/PosixDirectorySearch.h"

#include "platform/ErrorCodes.h"
#include "platform/text/NameMatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ryk {

namespace {

bool isDotsName(std::string_view name) {
    return name == "." || name == "..";
}

/// The first eight bytes of `name`, letters folded as compareNames folds them, packed so that
/// the order of the numbers is the order of the names; a shorter name is padded with 0, a byte
/// no name holds.
uint64_t sortKey(std::string_view name) {
    unsigned char bytes[8] = {};
    std::memcpy(bytes, name.data(), name.size() < 8 ? name.size() : 8);
    uint64_t key = 0;
    for (const unsigned char byte : bytes)
        key = key << 8 | (byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
    return key;
}

/// The record getdents64 writes per entry (the C library declares no type for it).
struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

} // namespace

std::unique_ptr<char[]> ListingBuffers::take() {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_free.empty()) {
            std::unique_ptr<char[]> buffer = std::move(m_free.back());
            m_free.pop_back();
            return buffer;
        }
    }
    return std::unique_ptr<char[]>(new char[kBytes]);
}

void ListingBuffers::giveBack(std::unique_ptr<char[]> buffer) {
    const std::lock_guard lock(m_mutex);
    m_free.push_back(std::move(buffer));
}

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
    m_entries.push_back({sortKey(name), 0, static_cast<uint32_t>(name.size()),
                         S_ISDIR(m_pathStat.mode) ? Kind::Directory : Kind::Other,
                         isDotsName(name)});
    return 0;
}

int PosixDirectorySearch::listDirectory(std::string_view pattern) {
    const char* directory = m_directory.empty() ? "." : m_directory.c_str();
    m_fd.reset(open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_fd) {
        const int error = errno;
        close();
        return error;
    }
    if (const int error = readEntries(pattern)) {
        close();
        return error;
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
        if (a.key != b.key)
            return a.key < b.key;
        return compareNames(nameOf(a), nameOf(b)) < 0;
    });
    return 0;
}

int PosixDirectorySearch::readEntries(std::string_view pattern) {
    if (!m_buffers) {
        if (!m_ownBuffer)
            m_ownBuffer.reset(new char[ListingBuffers::kBytes]);
        return readEntriesInto(m_ownBuffer.get(), pattern);
    }
    std::unique_ptr<char[]> buffer = m_buffers->take();
    const int error = readEntriesInto(buffer.get(), pattern);
    m_buffers->giveBack(std::move(buffer));
    return error;
}

int PosixDirectorySearch::readEntriesInto(char* buffer, std::string_view pattern) {
    for (;;) {
        const long got = syscall(SYS_getdents64, m_fd.get(), buffer, ListingBuffers::kBytes);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        for (long at = 0; at < got;) {
            const auto* d = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            at += d->d_reclen;
            const std::string_view name(d->d_name);
            if (!matchesNamePattern(pattern, name))
                continue;
            unsigned type = d->d_type;
            if (m_types == EntryTypes::Stat)
                type = DT_UNKNOWN;
            if (type == DT_UNKNOWN) {
                // Some file systems do not fill in the type; only then is a stat needed. An
                // entry gone meanwhile is no directory, and its facts will say it is gone.
                mode_t mode = 0;
                const bool directory = statType(m_fd.get(), d->d_name, mode) == 0 && S_ISDIR(mode);
                type = directory ? DT_DIR : DT_REG;
            }
            m_entries.push_back({sortKey(name), m_names.size(), static_cast<uint32_t>(name.size()),
                                 type == DT_DIR ? Kind::Directory : Kind::Other, isDotsName(name)});
            m_names.append(name);
        }
    }
}

bool PosixDirectorySearch::seek(std::string_view name) {
    // The hits are sorted by compareNames, a total order, after the dots.
    const auto first =
        std::find_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.dots; });
    const uint64_t key = sortKey(name);
    const auto it = std::lower_bound(first, m_entries.end(), name,
                                     [this, key](const Entry& e, std::string_view wanted) {
                                         if (e.key != key)
                                             return e.key < key;
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
    if (m_fd) {
        if (const int error = statFacts(m_fd.get(), m_name.c_str(), stat))
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
    m_fd.reset();
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
