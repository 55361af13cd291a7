#include "platform/Environment.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace ryk {

std::string executablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool isWritableDirectory(const std::string& directory) {
    return access(directory.c_str(), W_OK | X_OK) == 0;
}

} // namespace ryk
