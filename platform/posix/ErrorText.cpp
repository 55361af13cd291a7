#include "platform/FileSystem.h"

#include "platform/ErrorCodes.h"

#include <cstring>

namespace ryk {

std::string errorText(int code) {
    switch (code) {
    case kErrorSourceChanged:
        return "The source file changed while it was being copied";
    case kErrorSpecialFile:
        return "Not a regular file, directory or link (FIFO, socket or device): not opened";
    case kErrorLinkInTree:
        return "A symbolic link stands where a directory is expected: not followed";
    default:
        break;
    }
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(code, buffer, sizeof buffer);
}

} // namespace ryk
