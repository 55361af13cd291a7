#include "platform/Environment.h"

#include "platform/posix/WholeCalls.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace ryk {

std::string executablePath() {
    std::string path;
    return readLinkText(AT_FDCWD, "/proc/self/exe", path) == 0 ? path : std::string();
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDirectory() {
    // Unset (a service, a cron job, `env -i`): the home is still the account's, never the
    // current or the program's directory.
    if (std::string home = environmentValue("HOME"); !home.empty() && home.front() == '/')
        return home;
    std::vector<char> buffer(4096);
    for (;;) {
        struct passwd entry;
        struct passwd* found = nullptr;
        const int error = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found || !found->pw_dir || found->pw_dir[0] != '/')
            return {};
        return found->pw_dir;
    }
}

bool isWritableDirectory(const std::string& directory) {
    return access(directory.c_str(), W_OK | X_OK) == 0;
}

} // namespace ryk
