#include "engine/FileCompare.h"

#include "platform/AbortKey.h"
#include "support/EngineFixture.h"

#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

constexpr size_t kBlock = kCompareBlockBytes;

/// Lines "line N" each closed by `end`, cut to `size` bytes.
std::string textOfLines(size_t size, const std::string& end = "\n") {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i) + end;
    text.resize(size);
    return text;
}

std::string changed(std::string text, size_t at) {
    text[at] = static_cast<char>(text[at] ^ 0x5a);
    return text;
}

/// 1 plus the line breaks in the head of `text`, counted the plain way.
uint64_t lineAt(const std::string& text, size_t offset) {
    uint64_t line = 1;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')))
            ++line;
    }
    return line;
}

class Recorder : public CompareProgress {
public:
    void compared(uint64_t bytes) override { reports.push_back(bytes); }
    std::vector<uint64_t> reports;
};

class FileCompareTest : public test::EngineTest {
protected:
    CompareResult compare(const std::string& a, const std::string& b,
                          CompareProgress* progress = nullptr) {
        return compareFiles(platform, tmp.writeFile("a", a), tmp.writeFile("b", b), progress);
    }
    static CompareResult difference(uint64_t line, uint64_t offset) {
        return {CompareOutcome::Difference, line, offset, 0};
    }
};

TEST_F(FileCompareTest, FindsTheFirstDifferenceWithItsLine) {
    const std::string text = textOfLines(3 * kBlock + 100);
    const std::string shortLines = textOfLines(kBlock + 10, "\n\n");
    const struct {
        const char* what;
        std::string a;
        std::string b;
        CompareResult expected;
    } cases[] = {
        {"empty", "", "", {CompareOutcome::Match, 1, 0, 0}},
        {"equal", text, text, {CompareOutcome::Match, lineAt(text, text.size()), text.size(), 0}},
        {"byte 0", text, changed(text, 0), difference(1, 0)},
        {"second block", text, changed(text, 40000), difference(lineAt(text, 40000), 40000)},
        {"first byte of a block", text, changed(text, kBlock),
         difference(lineAt(text, kBlock), kBlock)},
        {"last byte", text, changed(text, text.size() - 1),
         difference(lineAt(text, text.size() - 1), text.size() - 1)},
        {"a line feed differs", shortLines, changed(shortLines, kBlock + 1),
         difference(lineAt(shortLines, kBlock + 1), kBlock + 1)},
        {"target longer", text.substr(0, 50000), text, difference(lineAt(text, 50000), 50000)},
        {"source longer", text, text.substr(0, 50000), difference(lineAt(text, 50000), 50000)},
        // Whole blocks equal: only the end of both files may end a match.
        {"target longer by a block", text.substr(0, kBlock), text.substr(0, 2 * kBlock),
         difference(lineAt(text, kBlock), kBlock)},
        {"source empty", "", "x", difference(1, 0)},
        {"target empty", "x", "", difference(1, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compare(c.a, c.b), c.expected) << c.what;
}

TEST_F(FileCompareTest, CountsCrLfAndCrLfAsOneLineBreakEach) {
    const struct {
        const char* what;
        std::string text;
        size_t differsAt;
        uint64_t line;
    } cases[] = {
        {"LF", "a\nb\nc\nd", 6, 4},
        {"CR", "a\rb\rc\rd", 6, 4},
        {"CR LF", "a\r\nb\r\nc\r\nd", 9, 4},
        {"mixed", "a\r\n\n\r\rb", 6, 5},
        {"empty lines", "\n\n\nx", 3, 4},
        {"a CR LF before the difference", "ab\r\nx", 4, 2},
        {"difference in a CR LF", "ab\r\nx", 3, 2}, // the CR has ended line 1 already
        // The pair split between two blocks is still one break.
        {"CR LF across blocks", std::string(kBlock - 1, 'x') + "\r\nyz", kBlock + 2, 2},
        {"CR at a block's end", std::string(kBlock - 1, 'x') + "\ryz", kBlock + 1, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compare(c.text, changed(c.text, c.differsAt)), difference(c.line, c.differsAt))
            << c.what;
    }
}

TEST_F(FileCompareTest, FailuresToOpenOrReadAreReportedWithTheirCode) {
    const std::string text = textOfLines(3 * kBlock);
    const std::string a = tmp.writeFile("a", text);
    const std::string b = tmp.writeFile("b", text);
    const std::string missing = tmp / "missing";
    const struct {
        const char* what;
        std::string source;
        std::string target;
        test::BlockFaults faults;
        CompareOutcome outcome;
        int error;
    } cases[] = {
        {"source missing", missing, b, {}, CompareOutcome::OpenFailed, ENOENT},
        {"target missing", a, missing, {}, CompareOutcome::OpenFailed, ENOENT},
        {"target a directory", a, tmp.path(), {}, CompareOutcome::OpenFailed, EISDIR},
        {"source fails at once", a, b, {a, EIO, 0}, CompareOutcome::SourceReadFailed, EIO},
        {"source fails inside a block",
         a,
         b,
         {a, EIO, kBlock + 7},
         CompareOutcome::SourceReadFailed,
         EIO},
        {"target fails at a block's end",
         a,
         b,
         {b, EACCES, 2 * kBlock},
         CompareOutcome::TargetReadFailed,
         EACCES},
    };
    for (const auto& c : cases) {
        fileSystem.blockFaults = c.faults;
        const CompareResult result = compareFiles(platform, c.source, c.target);
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST_F(FileCompareTest, ReportsProgressPerBlockAndStopsOnTheAbortKey) {
    const std::string text = textOfLines(3 * kBlock + 5);
    Recorder recorder;
    EXPECT_EQ(compare(text, text, &recorder).outcome, CompareOutcome::Match);
    EXPECT_EQ(recorder.reports,
              (std::vector<uint64_t>{kBlock, 2 * kBlock, 3 * kBlock, text.size()}));

    // Escape asks first: No goes on, Yes stops; Control stops without a question.
    keys.events = {AbortKeyEvent::EscapeReleased, AbortKeyEvent::EscapeReleased};
    messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
    const CompareResult stopped = compare(text, text);
    EXPECT_EQ(stopped.outcome, CompareOutcome::Stopped);
    EXPECT_EQ(stopped.offset, 2 * kBlock);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"中断しますか?", "中断しますか?"}));

    keys.events = {AbortKeyEvent::ControlDown};
    EXPECT_EQ(compare(text, text).offset, kBlock);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(FileCompareTest, ResultTexts) {
    const std::pair<CompareResult, const char*> cases[] = {
        {{CompareOutcome::Match, 7, 100, 0}, "一致しています"},
        {difference(12, 40000), "12行 (offset=40000)で違いがありました"},
        {difference(1, (uint64_t{1} << 32) + 1), "1行 (offset=4294967297)で違いがありました"},
        {{CompareOutcome::OpenFailed, 1, 0, ENOENT}, "ファイルが開けません"},
        {{CompareOutcome::NoMemory, 1, 0, 0}, "メモリが確保できません"},
        {{CompareOutcome::SourceReadFailed, 1, 0, EIO}, "更新元読みこみエラー"},
        {{CompareOutcome::TargetReadFailed, 1, 0, EIO}, "更新先読みこみエラー"},
        {{CompareOutcome::Stopped, 1, 32768, 0}, "比較を中断しました"},
    };
    for (const auto& [result, text] : cases)
        EXPECT_EQ(compareResultText(result), text);
}

/// Files of 2 GiB and more: offsets and line counts beyond 32 bits. Sparse, so cheap to make.
TEST_F(FileCompareTest, ComparesFilesBeyondTwoGibibytes) {
    constexpr uint64_t kSize = (uint64_t{1} << 31) + 3 * kBlock;
    constexpr uint64_t kDiffersAt = (uint64_t{1} << 31) + kBlock + 17;
    const auto makeSparse = [&](const char* name, char byte) {
        const std::string path = tmp / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(kSize)), 0);
        EXPECT_EQ(pwrite(fd, "\n", 1, 1000), 1);
        EXPECT_EQ(pwrite(fd, &byte, 1, static_cast<off_t>(kDiffersAt)), 1);
        ::close(fd);
        return path;
    };
    const std::string a = makeSparse("big-a", 'a');
    const std::string b = makeSparse("big-b", 'b');
    Recorder recorder;
    EXPECT_EQ(compareFiles(platform, a, b, &recorder), difference(2, kDiffersAt));
    ASSERT_FALSE(recorder.reports.empty());
    EXPECT_EQ(recorder.reports.back(), kDiffersAt);
}

} // namespace
} // namespace ryk
