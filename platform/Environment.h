#pragma once

#include <string>

namespace ryk {

/// Full path of the running executable; empty when the system does not say.
std::string executablePath();
/// Value of an environment variable; empty when it is not set.
std::string environmentValue(const char* name);
/// The user's home directory: $HOME when it is an absolute path, else the account's home from
/// the password database; empty when neither says.
std::string homeDirectory();
/// True when the current user may create files in `directory`.
bool isWritableDirectory(const std::string& directory);

} // namespace ryk
