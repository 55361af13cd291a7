#include "platform/BlockReader.h"

#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::TempDir;

TEST(BlockReader, FillsEveryBlockButTheLast) {
    const struct {
        size_t fileSize;
        std::vector<size_t> blocks; // what each read gives, closed by the 0 of the end
    } cases[] = {
        {0, {0}},
        {5, {5, 0}},
        {8, {8, 0}},
        {8 * 3 + 1, {8, 8, 8, 1, 0}},
    };
    TempDir dir;
    PosixFileSystem fs;
    for (const auto& c : cases) {
        std::string contents(c.fileSize, '\0');
        for (size_t i = 0; i < contents.size(); ++i)
            contents[i] = static_cast<char>('a' + i % 26);
        const auto reader = fs.openBlocks(dir.writeFile("f", contents));
        ASSERT_TRUE(reader) << reader.error();
        std::vector<size_t> blocks;
        std::string read;
        char buffer[8];
        size_t got = 0;
        do {
            ASSERT_EQ((*reader)->read(buffer, sizeof buffer, got), 0);
            blocks.push_back(got);
            read.append(buffer, got);
        } while (got != 0 && blocks.size() < 10);
        EXPECT_EQ(blocks, c.blocks) << c.fileSize;
        EXPECT_EQ(read, contents);
    }
}

TEST(BlockReader, OpensOnlyRegularFilesAndNoLinks) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = dir / "link";
    ASSERT_EQ(symlink(dir.writeFile("file", "x").c_str(), link.c_str()), 0);
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {dir / "missing", ENOENT},
        {dir.path(), EISDIR},
        {fifo, kErrorSpecialFile},        // would wait for a writer
        {"/dev/zero", kErrorSpecialFile}, // would never end
        {link, ELOOP},                    // the link is the entry, not what it points to
    };
    PosixFileSystem fs;
    for (const auto& c : cases) {
        EXPECT_EQ(fs.openBlocks(c.path).error(), c.error) << c.path;
    }
}

} // namespace
} // namespace ryk
