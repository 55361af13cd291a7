#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ryk {

/// The small operations the engine and the windows share. Stateless: create it where needed.
class FileUtility {
public:
    explicit FileUtility(const Platform& platform) : m_platform(platform) {}

    /// Shows "エラーが発生:Code=%d\n%s" for `code`, with `extra` as a middle line when given.
    void ShowSystemError(int code, std::string_view extra = {}) const;
    /// 1 when the user asked to stop (Escape, confirmed), -1 when Control went down, else 0.
    int PollAbortKey() const;
    /// True when a directory search for `path` yields at least one directory ("." counts).
    /// `error` receives the search's error code when it yields none.
    bool IsDirectoryMatch(const std::string& path, int* error = nullptr) const;
    /// True when `path` itself (not a pattern) is a directory or a link to one.
    bool isExistingDirectory(const std::string& path) const;
    /// True when `directory` is the file-system root, by identity ("//", "/..", a link to it):
    /// never a directory to delete from, move from or sync into.
    bool isFileSystemRoot(const std::string& directory) const;
    /// "0 byte.", "1,000 bytes.", "1.5G".
    static std::string FormatSize(int64_t bytes);
    /// Free bytes for the caller and total bytes of the file system holding `path` (or, for a
    /// path not made yet, its nearest existing parent). On failure the outputs stay unchanged.
    bool GetDiskSpace(const std::string& path, uint64_t& freeBytes, uint64_t& totalBytes) const;

    /// The text ShowSystemError shows.
    static std::string systemErrorText(int code, std::string_view extra,
                                       const Translation& translation = kUntranslated);

private:
    Platform m_platform;
};

} // namespace ryk
