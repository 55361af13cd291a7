#pragma once

#include <string>
#include <string_view>

namespace ryk {

/// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);
/// Text of a file a person wrote: valid UTF-8 (a BOM is dropped) is taken as is, anything
/// else is decoded from CP932. Bytes CP932 cannot decode become U+FFFD.
std::string decodeUserText(std::string_view bytes);
/// Encodes UTF-8 text as CP932; false when a character has no CP932 form.
bool encodeCp932(std::string_view utf8, std::string& out);

} // namespace ryk
