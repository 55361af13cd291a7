#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <cstring>

namespace ryk {

std::unique_ptr<DirectorySearch> PosixFileSystem::newSearch() { return nullptr; }
int PosixFileSystem::status(const std::string&, FileStatus&) { return ENOSYS; }
int PosixFileSystem::setAttributes(const std::string&, uint32_t) { return ENOSYS; }
int PosixFileSystem::setTimes(const std::string&, const FileTime*, const FileTime*) { return ENOSYS; }
int PosixFileSystem::renameNoReplace(const std::string&, const std::string&) { return ENOSYS; }
int PosixFileSystem::removeFile(const std::string&) { return ENOSYS; }
int PosixFileSystem::makeDirectory(const std::string&) { return ENOSYS; }
int PosixFileSystem::removeDirectory(const std::string&) { return ENOSYS; }
int PosixFileSystem::diskSpace(const std::string&, uint64_t&, uint64_t&) { return ENOSYS; }
int PosixFileSystem::readFile(const std::string&, std::string&, size_t) { return ENOSYS; }
int PosixFileSystem::writeFileAtomically(const std::string&, std::string_view) { return ENOSYS; }

} // namespace ryk
