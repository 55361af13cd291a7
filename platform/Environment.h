#pragma once

#include <string>

namespace ryk {

/// Full path of the running executable; empty when the system does not say.
std::string executablePath();
/// Value of an environment variable; empty when it is not set.
std::string environmentValue(const char* name);
/// True when the current user may create files in `directory`.
bool isWritableDirectory(const std::string& directory);

} // namespace ryk
