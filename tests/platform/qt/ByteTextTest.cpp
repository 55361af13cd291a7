#include "platform/qt/ByteText.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>
#include <string>

namespace ryk {
namespace {

/// The bytes in hex, so that a failure shows which byte changed.
std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
        text += ' ';
    }
    return text;
}

TEST(ByteText, AnyBytesComeBackAsTheyWere) {
    const struct {
        const char* what;
        std::string bytes;
        QString text; // what the bytes read as; null: the bytes' UTF-8
    } cases[] = {
        {"empty", "", {}},
        {"ASCII", "/src/a b.txt", {}},
        {"UTF-8", "/データ/café/😀", {}},
        {"Latin-1 byte", "caf\xe9", QStringLiteral(u"caf\xdce9")},
        {"only bad bytes", "\xff\xfe\x80", QStringLiteral(u"\xdcff\xdcfe\xdc80")},
        {"cut character", "a\xe6\x97", QStringLiteral(u"a\xdce6\xdc97")},
        {"overlong slash", "\xc0\xaf", QStringLiteral(u"\xdcc0\xdcaf")},
        {"encoded surrogate", "\xed\xa0\x80", QStringLiteral(u"\xdced\xdca0\xdc80")},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", QStringLiteral(u"\xdcf4\xdc90\xdc80\xdc80")},
        {"pair then bad byte", "\xf0\x9f\x98\x80\xe9", QStringLiteral(u"\xd83d\xde00\xdce9")},
        {"CP932", "\x83\x65\x83\x58\x83\x67", QStringLiteral(u"\xdc83\x65\xdc83\x58\xdc83\x67")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = fromBytes(c.bytes);
        EXPECT_EQ(text, c.text.isNull() ? QString::fromStdString(c.bytes) : c.text);
        EXPECT_EQ(hex(toBytes(text)), hex(c.bytes));
        // Edited around, the name's bytes stay.
        EXPECT_EQ(hex(toBytes(QStringLiteral("/") + text + QStringLiteral("/x"))),
                  hex("/" + c.bytes + "/x"));
        // A file address keeps them too, also as a drop hands it over.
        const std::string path = "/tmp/" + c.bytes + " #%?";
        EXPECT_EQ(hex(localPath(fileUrl(path))), hex(path));
        QMimeData dropped;
        dropped.setData("text/uri-list", fileUrl(path).toEncoded() + "\r\n");
        ASSERT_EQ(dropped.urls().size(), 1);
        EXPECT_EQ(hex(localPath(dropped.urls().front())), hex(path));
    }
    EXPECT_EQ(fileUrl("/tmp/caf\xe9").toEncoded(), "file:///tmp/caf%E9");
    EXPECT_EQ(localPath(QUrl("https://example.org/a")), "");
}

} // namespace
} // namespace ryk
