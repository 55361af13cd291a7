#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace ryk {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

/// Converts with iconv; a sequence the source code page cannot read becomes U+FFFD (when
/// decoding) or makes the conversion fail (when encoding, `strict`).
bool convert(const char* to, const char* from, std::string_view in, std::string& out, bool strict) {
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

std::string decodeCp932(std::string_view bytes) {
    // The ASCII range reads the same in CP932; most lines need no converter.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    std::string out;
    if (!convert("UTF-8", "CP932", bytes, out, false))
        return std::string(bytes);
    return out;
}

std::string decodeUserText(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        bytes.remove_prefix(kUtf8Bom.size());
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return decodeCp932(bytes);
}

bool encodeCp932(std::string_view utf8, std::string& out) {
    return convert("CP932", "UTF-8", utf8, out, true);
}

} // namespace ryk
