#pragma once

#include <cstddef>
#include <string_view>

namespace ryk {

/// The text before and after the last '.'; without a '.', the whole text and no extension.
struct NameParts {
    std::string_view base;
    std::string_view extension;
};
NameParts splitAtLastDot(std::string_view text);

/// True when `text` holds a '*' or '?', which makes a last path component a search pattern.
bool hasWildcard(std::string_view text);

/// True when the bare file name matches one wildcard item: name and item are split at their
/// last '.' and base and extension matched separately, character by character, ASCII letters
/// folded; '*' accepts the rest of a part, '?' one character.
bool matchesNamePattern(std::string_view pattern, std::string_view name);

/// Orders names as the directory search yields them: ASCII letters folded (to upper case),
/// then by bytes.
int compareNames(std::string_view a, std::string_view b);

} // namespace ryk
