#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

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
    case kErrorRootReplaced:
        return "The job's root directory was replaced after planning: nothing done in it";
    case kErrorTargetChanged:
        return "The target changed after planning: not overwritten";
    case kErrorSourceReplaced:
        return "The source was replaced after it was copied: not deleted";
    case kErrorRootRefused:
        return "The file-system root (/) is never deleted or moved from";
    case kErrorDuplicateTarget:
        return "Another line of this plan writes the same target";
    case kErrorMetadataNotKept:
        return "Copied, but its ACLs or extended attributes could not all be kept";
    case kErrorNotReadWhole:
        return "Larger than the part that is read: left as it was, not written back";
    case kErrorNotText:
        return "Not text that can be written back as it was read: left as it was";
    case kErrorUntrustedLink:
        return "A symbolic link of another user, or one to a file that is not yours: "
               "not written through";
    case kErrorTimesNotKept:
        return "Copied, but its times could not be kept";
    case kErrorNoTrash:
        return "No trash can be used on this file's file system: not deleted";
    case kErrorVerifyMismatch:
        return "The copy read back from the disk differs from the source: not put in place";
    default:
        break;
    }
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(code, buffer, sizeof buffer);
}

} // namespace ryk
