#include "platform/posix/Trash.h"

#include "platform/Environment.h"
#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/RenameFallback.h"
#include "platform/posix/UniqueFd.h"
#include "platform/posix/WholeCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

namespace {

/// Names in a trash longer than this are cut, so that ".trashinfo" and a number still fit.
constexpr size_t kEntryNameBytes = 200;

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

/// The device of `path`, or of the nearest directory above it that exists.
bool deviceOfNearest(std::string path, dev_t& device) {
    for (;;) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0) {
            device = st.st_dev;
            return true;
        }
        // A file on the way (ENOTDIR) is as far as the path goes, like a missing directory.
        if ((errno != ENOENT && errno != ENOTDIR) || path == "/")
            return false;
        path = parentOf(path);
    }
}

/// Makes `path` and the directories above it that are missing, each with mode 0700.
bool makeDirectories(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0)
        return true;
    if (errno == EEXIST) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (errno != ENOENT || path == "/")
        return false;
    return makeDirectories(parentOf(path)) && (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST);
}

/// True when `path` is a real directory (no link) of the user `uid`, with `files` and `info`
/// in it or made now.
bool usableTrash(const std::string& path, uid_t uid) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return false;
    for (const char* part : {"/files", "/info"}) {
        const std::string sub = path + part;
        if (mkdir(sub.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (lstat(sub.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
    }
    return true;
}

/// The path the descriptor `dir` has now, links resolved.
bool pathOf(int dir, std::string& out) {
    const std::string self = "/proc/self/fd/" + std::to_string(dir);
    return readLinkText(AT_FDCWD, self.c_str(), out) == 0 && !out.empty() && out.front() == '/';
}

/// The top directory of the file system `device` that holds the directory `path`.
std::string topDirectoryOf(std::string path, dev_t device) {
    while (path != "/") {
        const std::string parent = parentOf(path);
        struct stat st;
        if (stat(parent.c_str(), &st) != 0 || st.st_dev != device)
            break;
        path = parent;
    }
    return path;
}

/// A path as a URI's path part: every byte but the unreserved ones and '/' as %XX.
std::string percentEncoded(std::string_view path) {
    static constexpr std::string_view kKept = "-_.!~*'()/";
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || kKept.find(c) != std::string_view::npos) {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        }
    }
    return out;
}

/// The last component of `path`, cut (never inside a UTF-8 sequence) to fit a trash's names.
std::string entryNameOf(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    if (name.size() > kEntryNameBytes) {
        size_t end = kEntryNameBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
            --end;
        name.resize(end);
    }
    return name;
}

/// Writes the whole text to a new file, which must not exist yet; 0 or the errno.
int writeNewFile(const std::string& path, const std::string& text) {
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd)
        return errno;
    int error = writeAll(fd.get(), text);
    if (error == 0)
        error = fd.close();
    if (error != 0)
        unlink(path.c_str());
    return error;
}

/// True when the directory `name` in `dir` holds nothing but "." and "..".
bool isEmptyDirectory(int dir, const std::string& name) {
    const UniqueDir stream = directoryStream(
        UniqueFd(openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
    if (!stream)
        return false;
    while (const dirent* d = readdir(stream.get()))
        if (std::string_view(d->d_name) != "." && std::string_view(d->d_name) != "..")
            return false;
    return true;
}

} // namespace

std::string homeTrashDirectory() {
    std::string data = environmentValue("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/') {
        const std::string home = homeDirectory();
        if (home.empty())
            return {};
        data = home + "/.local/share";
    }
    return data + "/Trash";
}

int topDirectoryTrash(const std::string& topDirectory, uid_t uid, TrashPlace& out) {
    const std::string base = topDirectory == "/" ? std::string() : topDirectory;
    const std::string user = std::to_string(uid);
    // A shared .Trash is used only as the administrator made it: a real directory whose
    // sticky bit keeps one user's entries from another.
    const std::string shared = base + "/.Trash";
    struct stat st;
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string own = shared + "/" + user;
        if ((mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && usableTrash(own, uid)) {
            out = {own, topDirectory};
            return 0;
        }
    }
    const std::string own = base + "/.Trash-" + user;
    if ((mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && usableTrash(own, uid)) {
        out = {own, topDirectory};
        return 0;
    }
    return kErrorNoTrash;
}

std::string trashInfoText(const TrashPlace& place, const std::string& originalPath,
                          time_t deleted) {
    std::string_view path = originalPath;
    if (!place.topDirectory.empty()) {
        const size_t skip = place.topDirectory == "/" ? 1 : place.topDirectory.size() + 1;
        path.remove_prefix(std::min(skip, path.size()));
    }
    struct tm local;
    char date[32] = "";
    if (localtime_r(&deleted, &local))
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(path) + "\nDeletionDate=" + date + "\n";
}

int moveIntoTrash(const TrashPlace& place, int dir, const std::string& name,
                  const std::string& originalPath) {
    const std::string entry = entryNameOf(originalPath);
    const std::string text = trashInfoText(place, originalPath, std::time(nullptr));
    for (unsigned number = 1; number <= 10000; ++number) {
        const std::string unique = number == 1 ? entry : entry + "." + std::to_string(number);
        const std::string info = place.directory + "/info/" + unique + ".trashinfo";
        // The info file claims the name: whoever makes it first owns the entry.
        const int error = writeNewFile(info, text);
        if (error == EEXIST)
            continue;
        if (error != 0)
            return error;
        const std::string file = place.directory + "/files/" + unique;
        const int moved = renameWithoutReplace(dir, name.c_str(), AT_FDCWD, file.c_str());
        if (moved == 0)
            return 0;
        unlink(info.c_str());
        // A file left in `files` without its info: the next name.
        if (moved != EEXIST)
            return moved;
    }
    return EEXIST;
}

int moveToTrashAt(int dir, const std::string& name, const std::string& recordedLeaf) {
    struct stat st;
    std::string directory;
    if (fstat(dir, &st) != 0)
        return errno;
    if (!pathOf(dir, directory))
        return kErrorNoTrash;
    const std::string original =
        (directory == "/" ? std::string() : directory) + "/" + recordedLeaf;
    const std::string home = homeTrashDirectory();
    dev_t homeDevice = 0;
    if (!home.empty() && deviceOfNearest(home, homeDevice) && homeDevice == st.st_dev) {
        if (!makeDirectories(home) || !usableTrash(home, getuid()))
            return kErrorNoTrash;
        const int error = moveIntoTrash({home, {}}, dir, name, original);
        // One device seen through two mounts: the top directory's trash may serve.
        if (error != EXDEV)
            return error;
    }
    TrashPlace place;
    if (topDirectoryTrash(topDirectoryOf(directory, st.st_dev), getuid(), place) != 0)
        return kErrorNoTrash;
    const int error = moveIntoTrash(place, dir, name, original);
    return error == EXDEV ? kErrorNoTrash : error;
}

int PosixFileSystem::moveToTrash(const TreePath& path) {
    ParentDirectory parent;
    if (const int error = m_tree.openParent(path, parent))
        return error;
    struct stat st;
    if (fstatat(parent.fd.get(), parent.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    // Protected as the read-only attribute promises: trashing takes it from its place.
    if (S_ISREG(st.st_mode) && isReadOnly(st.st_mode))
        return EACCES;
    if (S_ISDIR(st.st_mode) && !isEmptyDirectory(parent.fd.get(), parent.leaf))
        return ENOTEMPTY;
    // A kept descriptor may be of the directory trashed, or of one below it.
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        m_tree.forgetKeptParents();
    return moveToTrashAt(parent.fd.get(), parent.leaf, parent.leaf);
}

} // namespace ryk
