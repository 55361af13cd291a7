#pragma once

#include "platform/FileSystem.h"

namespace ryk {

/// The file system of a POSIX system (Linux: statx, renameat2, extended attributes).
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<DirectorySearch> newSearch() override;
    std::unique_ptr<FileCopy> newCopy() override;
    int status(const std::string& path, FileStatus& out, LinkMode links) override;
    int setAttributes(const std::string& path, uint32_t attributes) override;
    int setTimes(const std::string& path, const FileTime* lastAccess,
                 const FileTime* lastWrite) override;
    int renameNoReplace(const std::string& from, const std::string& to) override;
    int removeFile(const std::string& path) override;
    int makeDirectory(const std::string& path) override;
    int removeDirectory(const std::string& path) override;
    int diskSpace(const std::string& path, uint64_t& freeBytes, uint64_t& totalBytes) override;
    int readFile(const std::string& path, std::string& contents, size_t limit) override;
    int writeFileAtomically(const std::string& path, std::string_view contents) override;
    std::unique_ptr<LineReader> openLines(const std::string& path, size_t lineLimit,
                                          int& error) override;
};

} // namespace ryk
