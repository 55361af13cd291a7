#pragma once

#include "platform/text/Utf8.h"

#include <string>
#include <string_view>

namespace ryk {

/// The two encodings of the files people write: one of them holds for a whole file.
enum class UserTextEncoding { Utf8, Cp932 };

/// The byte order mark that may open a UTF-8 file; it is not part of the text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

/// Decodes CP932 bytes; a sequence CP932 cannot decode becomes U+FFFD. CP932 has no state and
/// a line feed is never part of a double-byte character, so a file may be decoded line by line.
std::string decodeCp932(std::string_view bytes);
/// Text of a file a person wrote: valid UTF-8 (a BOM is dropped) is taken as is, anything
/// else is decoded from CP932. Bytes CP932 cannot decode become U+FFFD.
std::string decodeUserText(std::string_view bytes);
/// Encodes UTF-8 text as CP932; false when a character has no CP932 form.
bool encodeCp932(std::string_view utf8, std::string& out);

} // namespace ryk
