#include "platform/FileSystem.h"

#include <cstring>

namespace ryk {

std::string errorText(int code) {
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(code, buffer, sizeof buffer);
}

} // namespace ryk
