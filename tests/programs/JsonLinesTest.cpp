#include "programs/ryk-cli/JsonLines.h"

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using test::CliResult;
using test::linesOf;
using test::runCli;
using test::TempDir;

TEST(JsonLinesTest, StringsAreEscapedAndBrokenUtf8IsMarkedAndKeptInBase64) {
    const struct {
        std::string bytes;
        std::string json;
        std::string base64;
    } cases[] = {
        {"plain 名前.txt", R"({"n":"plain 名前.txt"})", ""},
        {"q\"b\\s/", R"({"n":"q\"b\\s/"})", ""},
        {std::string("\n\r\t\x01\x1f\x7f", 6), "{\"n\":\"\\n\\r\\t\\u0001\\u001f\x7f\"}", ""},
        {std::string("a\0b", 3), R"({"n":"a\u0000b"})", ""},
        // A lone lead byte, a cut sequence and an encoded surrogate are each marked per byte.
        {"\xff\xfe名", "{\"n\":\"\xEF\xBF\xBD\xEF\xBF\xBD名\"}", "//7lkI0="},
        {"\xe5\x90", "{\"n\":\"\xEF\xBF\xBD\xEF\xBF\xBD\"}", "5ZA="},
        {"\xed\xa0\x80", "{\"n\":\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"}", "7aCA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        std::string out;
        JsonObject(out).name("n", c.bytes).end();
        const std::string expected = c.base64.empty() ? c.json
                                                      : c.json.substr(0, c.json.size() - 1) +
                                                            ",\"n_base64\":\"" + c.base64 + "\"}";
        EXPECT_EQ(out, expected + "\n");
    }
    // The test vectors of RFC 4648.
    const std::vector<std::pair<std::string, std::string>> vectors = {{"", ""},
                                                                      {"f", "Zg=="},
                                                                      {"fo", "Zm8="},
                                                                      {"foo", "Zm9v"},
                                                                      {"foob", "Zm9vYg=="},
                                                                      {"fooba", "Zm9vYmE="},
                                                                      {"foobar", "Zm9vYmFy"}};
    for (const auto& [bytes, encoded] : vectors)
        EXPECT_EQ(base64(bytes), encoded) << bytes;
}

/// The text of the string field `key` of a JSON line, escapes left as they are.
std::string field(const std::string& line, const std::string& key) {
    const std::string open = "\"" + key + "\":\"";
    const size_t start = line.find(open);
    if (start == std::string::npos)
        return "(none)";
    size_t end = start + open.size();
    while (end < line.size() && line[end] != '"')
        end += line[end] == '\\' ? 2 : 1;
    return line.substr(start + open.size(), end - start - open.size());
}

std::string decodeBase64(const std::string& text) {
    static const std::string digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        group = group << 6 | static_cast<uint32_t>(digits.find(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xff);
        }
    }
    return bytes;
}

TEST(JsonLinesTest, CliPrintsOnlyJsonLinesForThePlanAndEachOutcome) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    const std::string odd = "\xff\xfe\"x\".txt";
    temp.writeFile("src/" + odd, "12");
    CliResult result = runCli(temp, {"--json", "--run", src, dst});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    // The name that is not UTF-8 comes back byte for byte from its base64 fields.
    EXPECT_EQ(decodeBase64(field(lines[0], "source_base64")), src + odd);
    EXPECT_EQ(decodeBase64(field(lines[0], "target_base64")), dst + odd);
    EXPECT_EQ(field(lines[0], "source"), src + "\xEF\xBF\xBD\xEF\xBF\xBD\\\"x\\\".txt");
    EXPECT_TRUE(lines[0].starts_with(R"({"type":"plan","line":1,"command":"Copy",)"));
    EXPECT_TRUE(lines[0].ends_with(R"(,"size":2})")) << lines[0];
    EXPECT_EQ(lines[1], R"({"type":"summary","lines":1,"total_bytes":2,"needed_bytes":2,)"
                        R"("error_lines":0})");
    EXPECT_EQ(lines[2], R"({"type":"outcome","line":1,"state":"done","error":0})");
    EXPECT_EQ(lines[3], R"({"type":"finished","complete":true,"errors":0,"pending":0})");
    EXPECT_EQ(temp.readFile("dst/" + odd), "12");

    // A line that fails, the delete of a read-only file, with the system's reason.
    const std::string locked = temp.writeFile("ro/x", "x");
    chmod(locked.c_str(), 0444);
    result = runCli(temp, {"--json", "--run", "-sd", temp / "ro/"});
    EXPECT_EQ(result.exitCode, 1);
    lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    EXPECT_EQ(lines[0], R"({"type":"plan","line":1,"command":"Delete","source":")" + locked +
                            R"(","size":1})");
    EXPECT_EQ(lines[2], R"({"type":"outcome","line":1,"state":"failed","error":13,)"
                        R"("message":"Permission denied"})");
    EXPECT_EQ(lines[3], R"({"type":"finished","complete":true,"errors":1,"pending":0})");
}

TEST(JsonLinesTest, HardLinksOfTheCliShowInThePlanAndAreMadeByTheRun) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    temp.writeFile("src/a", "x");
    ASSERT_EQ(link((src + "a").c_str(), (src + "b").c_str()), 0);
    const CliResult result = runCli(temp, {"--json", "--run", "--hard-links", src, dst});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 6u) << result.out;
    EXPECT_EQ(field(lines[0], "link_to"), "(none)");
    EXPECT_EQ(field(lines[1], "link_to"), dst + "a");
    struct stat a {};
    struct stat b {};
    ASSERT_EQ(stat((dst + "a").c_str(), &a), 0);
    ASSERT_EQ(stat((dst + "b").c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
}

} // namespace
} // namespace ryk
