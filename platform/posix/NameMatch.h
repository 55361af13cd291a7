#pragma once

#include <string_view>

namespace ryk {

/// True when `text` holds a '*' or '?', which makes a last path component a search pattern.
bool hasWildcard(std::string_view text);

/// True when the bare file name matches one wildcard pattern: name and pattern are split at
/// their last '.' and base and extension are matched separately, ASCII letters folded.
bool matchesNamePattern(std::string_view pattern, std::string_view name);

/// Orders names as the directory search yields them: ASCII letters folded (to upper case),
/// then by bytes.
int compareNames(std::string_view a, std::string_view b);

} // namespace ryk
