#include "engine/FileUtility.h"

#include "engine/Patterns.h"
#include "platform/AbortKey.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

#include <cstdio>

namespace ryk {

std::string FileUtility::systemErrorText(int code, std::string_view extra,
                                         const Translation& translation) {
    std::string text = fillIn(translation.translate("FileUtility", "エラーが発生:Code=%1\n"),
                              {std::to_string(code)});
    if (!extra.empty()) {
        text += extra;
        text += '\n';
    }
    text += errorText(code);
    return text;
}

void FileUtility::ShowSystemError(int code, std::string_view extra) const {
    m_platform.messageBox.show(systemErrorText(code, extra, m_platform.translation), kProgramTitle,
                               MessageButtons::Ok, MessageIcon::Information);
}

int FileUtility::PollAbortKey() const {
    switch (m_platform.abortKey.poll()) {
    case AbortKeyEvent::ControlDown:
        return -1;
    case AbortKeyEvent::EscapeReleased:
        return m_platform.messageBox.show(
                   m_platform.translation.translate("FileUtility", "中断しますか?"), kProgramTitle,
                   MessageButtons::YesNo, MessageIcon::Stop) == MessageAnswer::Yes
                   ? 1
                   : 0;
    case AbortKeyEvent::None:
        break;
    }
    return 0;
}

bool FileUtility::IsDirectoryMatch(const std::string& path, int* error) const {
    const auto search = m_platform.fileSystem.newSearch();
    const int found = search->findFile(path);
    if (found != 0) {
        if (error)
            *error = found;
        return false;
    }
    while (search->findNextFile()) {
        if (search->isDirectory())
            return true;
    }
    if (error)
        *error = kErrorFileNotFound;
    return false;
}

bool FileUtility::isExistingDirectory(const std::string& path) const {
    FileStatus status;
    return m_platform.fileSystem.status(path, status, LinkMode::Follow) == 0 &&
           (status.attributes & attr::kDirectory);
}

bool FileUtility::isFileSystemRoot(const std::string& directory) const {
    FileSystem& fs = m_platform.fileSystem;
    const auto root = fs.identity("/");
    if (!root)
        return false;
    const auto identity = fs.identity(directory);
    return identity && *identity == *root;
}

std::string FileUtility::FormatSize(int64_t bytes) {
    const bool negative = bytes < 0;
    // The magnitude as unsigned, so the most negative value has one too.
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
    constexpr uint64_t kGiB = uint64_t{1} << 30;
    if (magnitude >= kGiB) {
        char text[64];
        std::snprintf(text, sizeof text, negative ? "-%lgG" : "%lgG",
                      static_cast<double>(magnitude) / static_cast<double>(kGiB));
        return text;
    }
    const std::string digits = std::to_string(magnitude);
    std::string text = negative ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    text += magnitude <= 1 ? " byte." : " bytes.";
    return text;
}

bool FileUtility::GetDiskSpace(const std::string& path, uint64_t& freeBytes,
                               uint64_t& totalBytes) const {
    // A destination that is still to be made lives on the file system of its nearest parent.
    std::string probe = path.empty() ? std::string(".") : path;
    for (;;) {
        const auto space = m_platform.fileSystem.diskSpace(probe);
        if (space) {
            freeBytes = space->freeBytes;
            totalBytes = space->totalBytes;
            return true;
        }
        const int error = space.error();
        if (error != kErrorPathNotFound && error != kErrorNotADirectory)
            return false;
        std::string parent = parentPath(probe);
        if (parent == probe)
            return false;
        probe = std::move(parent);
    }
}

} // namespace ryk
