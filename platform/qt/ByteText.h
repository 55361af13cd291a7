#pragma once

#include <QString>
#include <string>
#include <string_view>

class QUrl;

namespace ryk {

/// The one conversion between the program's byte strings (names as the kernel gives them, and
/// the texts that hold them) and QString. Well-formed UTF-8 becomes its characters; each other
/// byte 0x80-0xFF becomes the lone surrogate U+DC80-U+DCFF, which no well-formed text holds and
/// which draws as a replacement mark. So toBytes(fromBytes(b)) == b for any bytes, also after
/// the text was edited around them.
QString fromBytes(std::string_view bytes);
/// The bytes of a text made by fromBytes (or typed): each lone U+DC80-U+DCFF gives its byte
/// back, everything else is UTF-8.
std::string toBytes(QStringView text);

/// A "file:" address of a local path that keeps each of its bytes (percent-encoded), so the
/// desktop's handler gets the file itself whatever its name.
QUrl fileUrl(std::string_view path);
/// The local path of a "file:" address as bytes; empty for any other address.
std::string localPath(const QUrl& url);

} // namespace ryk
