#include "platform/LineReader.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using test::TempDir;

using Reads = std::vector<std::pair<LineRead, std::string>>;

/// Everything a reader gives until the end of its file (or a failure).
Reads readAll(LineReader& reader) {
    Reads reads;
    std::string text = "stale";
    for (LineRead read; (read = reader.next(text)) != LineRead::End;) {
        reads.emplace_back(read, text);
        if (read == LineRead::Failed)
            break;
    }
    return reads;
}

TEST(LineReader, SplitsLinesAndCutsLongOnesIntoPiecesOfTheLimit) {
    constexpr auto L = LineRead::Line;
    constexpr auto P = LineRead::Piece;
    const struct {
        std::string contents;
        Reads reads;
    } cases[] = {
        {"", {}},
        {"a\nb", {{L, "a"}, {L, "b"}}}, // the last line needs no line feed
        {"a\n\nb\n", {{L, "a"}, {L, ""}, {L, "b"}}},
        {"a\r\n", {{L, "a\r"}}},
        {"abcd\nx", {{L, "abcd"}, {L, "x"}}}, // exactly the limit is still one line
        {"abcd", {{L, "abcd"}}},
        {"abcde\n", {{P, "abcd"}, {L, "e"}}},
        {"abcdefgh\nx\n", {{P, "abcd"}, {L, "efgh"}, {L, "x"}}},
        {"abcdefghij", {{P, "abcd"}, {P, "efgh"}, {L, "ij"}}},
    };
    TempDir dir;
    PosixFileSystem fs;
    for (const auto& c : cases) {
        const auto opened = fs.openLines(dir.writeFile("f.txt", c.contents), 4);
        ASSERT_TRUE(opened) << opened.error();
        LineReader& reader = **opened;
        EXPECT_EQ(readAll(reader), c.reads) << c.contents;
        // Once ended, it stays ended, and a rewind reads the same lines again.
        std::string text;
        EXPECT_EQ(reader.next(text), LineRead::End);
        ASSERT_EQ(reader.rewind(), 0);
        EXPECT_EQ(readAll(reader), c.reads) << c.contents;
    }
}

TEST(LineReader, LinesAcrossItsBufferComeWhole) {
    // Lengths around 64 KiB, so line ends fall on, before and after the buffer's edges.
    std::string contents;
    Reads expected;
    for (const size_t length : {65535u, 1u, 65536u, 0u, 65537u, 131072u, 3u}) {
        std::string line(length, static_cast<char>('a' + expected.size()));
        contents += line + "\n";
        expected.emplace_back(LineRead::Line, std::move(line));
    }
    TempDir dir;
    PosixFileSystem fs;
    const auto reader = fs.openLines(dir.writeFile("f.txt", contents), 200000);
    ASSERT_TRUE(reader);
    EXPECT_EQ(readAll(**reader), expected);
}

TEST(LineReader, AFileOfAnySizeIsReadInBoundedMemory) {
    // A sparse file costs no disk: one line of 96 MiB of NUL bytes, then a short one.
    TempDir dir;
    const std::string file = dir.writeFile("big.txt", "first\n");
    const std::string tail = "\nlast\n";
    const off_t size = off_t{96} << 20;
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), size - static_cast<off_t>(tail.size())),
              static_cast<ssize_t>(tail.size()));
    close(fd);

    constexpr size_t kLimit = 65536;
    PosixFileSystem fs;
    const auto opened = fs.openLines(file, kLimit);
    ASSERT_TRUE(opened);
    const auto& reader = *opened;
    std::string text;
    ASSERT_EQ(reader->next(text), LineRead::Line);
    EXPECT_EQ(text, "first");
    uint64_t nulBytes = 0;
    LineRead read;
    while ((read = reader->next(text)) == LineRead::Piece) {
        ASSERT_EQ(text.size(), kLimit);
        ASSERT_LE(text.capacity(), 2 * kLimit);
        nulBytes += text.size();
    }
    ASSERT_EQ(read, LineRead::Line);
    nulBytes += text.size();
    EXPECT_EQ(text.find_first_not_of('\0'), std::string::npos);
    EXPECT_EQ(nulBytes, static_cast<uint64_t>(size) - 6 - tail.size());
    ASSERT_EQ(reader->next(text), LineRead::Line);
    EXPECT_EQ(text, "last");
    EXPECT_EQ(reader->next(text), LineRead::End);
    EXPECT_EQ(reader->error(), 0);
}

TEST(LineReader, OpensOnlyRegularFiles) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {dir / "missing", ENOENT},
        {dir.path(), EISDIR},
        {fifo, ENOTSUP},        // would wait for a writer, then could not be read twice
        {"/dev/zero", ENOTSUP}, // would never end
    };
    PosixFileSystem fs;
    for (const auto& c : cases) {
        EXPECT_EQ(fs.openLines(c.path, 16).error(), c.error) << c.path;
    }
}

} // namespace
} // namespace ryk
