#include "platform/TextCodec.h"

#include <gtest/gtest.h>
#include <string>

namespace ryk {
namespace {

TEST(TextCodec, ValidatesUtf8WholeOrInPieces) {
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"plain ascii", true},
        {"\xE6\x97\xA5\xE6\x9C\xAC", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},                    // overlong '/'
        {"\xE0\x80\xAF", false},                // overlong, three bytes
        {"\xF0\x8F\xBF\xBF", false},            // overlong, four bytes
        {"\xED\xA0\x80", false},                // surrogate
        {"\xF4\x90\x80\x80", false},            // beyond U+10FFFF
        {"\xF5\x80\x80\x80", false},            // no such lead byte
        {"\x80", false},                        // continuation without a lead
        {"\xE6\x97", false},                    // cut off
        {std::string("\xE6\x97") + "a", false}, // cut off before the next character
        {"\x82\xA0", false},                    // CP932 "あ"
        // The edges of the narrowed ranges are well-formed.
        {"\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
        {std::string("a\0b", 3), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
        // A character split between two pieces is judged as if it came whole.
        for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            Utf8Validator validator;
            validator.feed(std::string_view(c.bytes).substr(0, cut));
            validator.feed(std::string_view(c.bytes).substr(cut));
            EXPECT_EQ(validator.valid(), c.valid) << c.bytes << " cut at " << cut;
        }
    }
}

TEST(TextCodec, DecodesCp932AsWindowsWroteIt) {
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"\xEF\xBB\xBF\xE6\x97\xA5", "\xE6\x97\xA5"},     // UTF-8 with BOM, BOM dropped
        {"\x82\xA0\x82\xA2", "\xE3\x81\x82\xE3\x81\x84"}, // あい
        {"C:\\data\\\x95\x5C", "C:\\data\\\xE8\xA1\xA8"}, // 0x5C stays '\' and 表 keeps it
        {"\x81\x60", "\xEF\xBD\x9E"},                     // wave dash as Windows maps it
        {"\x87\x40", "\xE2\x91\xA0"},                     // vendor extension ①
        {"\xB1", "\xEF\xBD\xB1"},                         // half-width katakana
        {"\x82\xA0\xFF\x82\xA0", "\xE3\x81\x82\xEF\xBF\xBD\xE3\x81\x82"}, // bad byte in between
        {"\x82\xA0\x82", "\xE3\x81\x82\xEF\xBF\xBD"}, // cut-off character at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeUserText(c.bytes), c.text) << c.bytes;
    // Decoding line by line takes bytes as CP932 even where they would also read as UTF-8.
    EXPECT_EQ(decodeCp932("\xE6\x97\xA5"), "\xE8\xAD\x8C\xEF\xBD\xA5"); // 日 as UTF-8
}

TEST(TextCodec, EncodesCp932OrRefuses) {
    std::string out;
    ASSERT_TRUE(encodeCp932("\xE3\x81\x82\xEF\xBD\x9E", out));
    EXPECT_EQ(out, "\x82\xA0\x81\x60");
    EXPECT_FALSE(encodeCp932("\xF0\x9F\x98\x80", out)); // no CP932 form
}

} // namespace
} // namespace ryk
