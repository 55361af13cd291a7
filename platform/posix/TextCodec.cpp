#include "platform/TextCodec.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace ryk {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

/// Converts with iconv; a sequence the source code page cannot read becomes U+FFFD (when
/// decoding) or makes the conversion fail (when encoding, `strict`).
bool convert(const char* to, const char* from, std::string_view in, std::string& out,
             bool strict) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    out.reserve(in.size() * 3 / 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[4096];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        if (strict) {
            ok = false;
            break;
        }
        // EILSEQ or EINVAL (a truncated sequence at the end): skip one byte.
        out.append(kReplacement);
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    return ok;
}

} // namespace

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string decodeUserText(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    if (!convert("UTF-8", "CP932", bytes, out, false))
        return std::string(bytes);
    return out;
}

bool encodeCp932(std::string_view utf8, std::string& out) {
    return convert("CP932", "UTF-8", utf8, out, true);
}

} // namespace ryk
