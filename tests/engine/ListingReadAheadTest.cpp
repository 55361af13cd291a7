#include "engine/ListingReadAhead.h"

#include "engine/Patterns.h"
#include "platform/ErrorCodes.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace ryk::test {
namespace {

/// The names a listing holds, dots left out, and how many of them carry facts.
struct Taken {
    int error = 0;
    bool listed = false;
    std::vector<std::string> names;
    int withFacts = 0;
};

Taken take(ListingReadAhead& ahead, const std::string& directory) {
    Taken taken;
    std::unique_ptr<DirectorySearch> listing;
    taken.error = ahead.take(directory, listing);
    taken.listed = listing != nullptr;
    while (listing && listing->findNextFile()) {
        if (listing->isDots())
            continue;
        taken.names.push_back(listing->fileName());
        FileStatus status;
        if (listing->status(status) == 0 && status.lastWriteTime.seconds != 0)
            ++taken.withFacts;
    }
    return taken;
}

ListingReadAhead::FileWanted allFiles() {
    return [](std::string_view) { return true; };
}

// Far more than is read ahead at once sits in a subtree the scan leaves out; the scan still
// gets the directories after it, whole and with their facts.
TEST(ListingReadAhead, SubtreeTheScanLeavesOutIsPassedOver) {
    TempDir tmp;
    for (int d = 0; d < 60; ++d)
        for (int f = 0; f < 100; ++f)
            tmp.writeFile("root/a/d" + std::to_string(d) + "/f" + std::to_string(f));
    tmp.writeFile("root/b/one.txt", "1");
    tmp.writeFile("root/b/two.txt", "22");
    tmp.writeFile("root/top.txt");
    FaultyFileSystem fileSystem;
    for (const int readers : {1, 4}) {
        SCOPED_TRACE(readers);
        ListingReadAhead ahead(fileSystem, tmp / "root", "*.*", true, allFiles(), readers);

        const Taken root = take(ahead, tmp / "root");
        EXPECT_EQ(root.names, (std::vector<std::string>{"a", "b", "top.txt"}));
        EXPECT_EQ(root.withFacts, 3);
        const Taken b = take(ahead, tmp / "root/b");
        EXPECT_EQ(b.error, 0);
        EXPECT_EQ(b.names, (std::vector<std::string>{"one.txt", "two.txt"}));
        EXPECT_EQ(b.withFacts, 2);
        // Past the end of the reading nothing is known: the caller lists it itself.
        const Taken after = take(ahead, tmp / "root/c");
        EXPECT_EQ(after.error, 0);
        EXPECT_FALSE(after.listed);
    }
}

// The other tree is asked for in the scan's order, which names what it lacks: those are not
// known, and nothing after them is dropped. The order folds letters as listings do, so "B"
// comes after "a". A listing is looked up by name.
TEST(ListingReadAhead, TheOtherTreeGivesWhatItHasInTheScansOrder) {
    TempDir tmp;
    for (const char* path : {"a/f", "B/g", "B/x/h", "e/i", "e/j", "e/k"})
        tmp.writeFile(std::string("dst/") + path);
    FaultyFileSystem fileSystem;
    for (const int readers : {1, 4}) {
        SCOPED_TRACE(readers);
        ListingReadAhead ahead(fileSystem, tmp / "dst", "*.*", true, allFiles(), readers);
        const struct {
            const char* directory;
            std::vector<std::string> names;
        } asks[] = {{"", {"a", "B", "e"}},
                    {"a", {"f"}},
                    {"a/sub", {}},
                    {"A0", {}},
                    {"B", {"g", "x"}},
                    {"B/x", {"h"}},
                    {"c", {}},
                    {"e", {"i", "j", "k"}},
                    {"z", {}}};
        for (const auto& ask : asks) {
            // As the scan asks for the other side of a directory: by its prefix.
            const std::string prefix = directoryPrefix(tmp / ("dst/" + std::string(ask.directory)));
            std::unique_ptr<DirectorySearch> listing;
            ASSERT_EQ(ahead.take(prefix, listing), 0) << ask.directory;
            ASSERT_EQ(listing != nullptr, !ask.names.empty()) << ask.directory;
            for (const std::string& name : ask.names) {
                ASSERT_TRUE(listing->seek(name)) << name;
                EXPECT_EQ(listing->filePath(), prefix + name);
            }
            EXPECT_TRUE(!listing || !listing->seek("none"));
        }
    }
}

// Only the files asked for get their facts read ahead; the others are looked up when asked,
// and a directory that cannot be listed gives its error where the scan takes it.
TEST(ListingReadAhead, FactsOfWantedFilesAndErrorsOfUnreadableDirectories) {
    TempDir tmp;
    tmp.writeFile("root/keep.c");
    tmp.writeFile("root/skip.o");
    tmp.writeFile("root/locked/inside.c");
    tmp.writeFile("root/open/inside.c");
    FaultyFileSystem fileSystem;
    fileSystem.unreadableDirectory = tmp / "root/locked";
    ListingReadAhead ahead(fileSystem, tmp / "root", "*.*", true,
                           [](std::string_view name) { return name.ends_with(".c"); });

    const Taken root = take(ahead, tmp / "root");
    EXPECT_EQ(root.names, (std::vector<std::string>{"keep.c", "locked", "open", "skip.o"}));
    EXPECT_EQ(root.withFacts, 4); // skip.o by a look of its own
    const size_t statusedBefore = fileSystem.statused.size();
    EXPECT_EQ(fileSystem.statused.back(), tmp / "root/skip.o");
    EXPECT_EQ(take(ahead, tmp / "root/locked").error, EACCES);
    const Taken open = take(ahead, tmp / "root/open");
    EXPECT_EQ(open.names, (std::vector<std::string>{"inside.c"}));
    EXPECT_EQ(open.withFacts, 1);
    EXPECT_EQ(fileSystem.statused.size(), statusedBefore);
}

// A scan that stops early leaves the reading waiting for room; ending it does not hang, and
// without subdirectories only the top is read.
TEST(ListingReadAhead, StoppingEarlyAndTopOnly) {
    TempDir tmp;
    for (int d = 0; d < 20; ++d)
        for (int f = 0; f < 400; ++f)
            tmp.writeFile("root/d" + std::to_string(d) + "/f" + std::to_string(f));
    FaultyFileSystem fileSystem;
    {
        ListingReadAhead ahead(fileSystem, tmp / "root", "*.*", true, allFiles(), 4);
        EXPECT_EQ(take(ahead, tmp / "root").names.size(), 20u);
    }
    fileSystem.searched.clear();
    ListingReadAhead topOnly(fileSystem, tmp / "root", "*.*", false, allFiles());
    EXPECT_EQ(take(topOnly, tmp / "root").names.size(), 20u);
    EXPECT_FALSE(take(topOnly, tmp / "root/d0").listed);
    EXPECT_EQ(fileSystem.searched, (std::vector<std::string>{tmp / "root/*.*"}));
}

/// Holds up the listing of `heldUp` until a listing of `release` begins, five seconds at most.
class HoldingFileSystem : public ForwardingFileSystem {
public:
    HoldingFileSystem(std::string heldUp, std::string release)
        : ForwardingFileSystem(std::make_unique<PosixFileSystem>()), m_heldUp(std::move(heldUp)),
          m_release(std::move(release)) {}

    std::unique_ptr<DirectorySearch> newSearch() override {
        struct Search : ForwardingDirectorySearch {
            HoldingFileSystem& owner;
            Search(std::unique_ptr<DirectorySearch> inner, HoldingFileSystem& o)
                : ForwardingDirectorySearch(std::move(inner)), owner(o) {}
            int findFile(std::string_view pattern) override {
                std::unique_lock lock(owner.m_mutex);
                if (pattern.starts_with(owner.m_release))
                    owner.m_released = true;
                if (pattern.starts_with(owner.m_heldUp)) {
                    owner.m_holding = true;
                    owner.m_changed.notify_all();
                    owner.releasedInTime = owner.m_changed.wait_for(
                        lock, std::chrono::seconds(5), [this] { return owner.m_released; });
                }
                owner.m_changed.notify_all();
                lock.unlock();
                return ForwardingDirectorySearch::findFile(pattern);
            }
        };
        return std::make_unique<Search>(ForwardingFileSystem::newSearch(), *this);
    }
    void waitUntilHolding() {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_holding; });
    }
    bool releasedInTime = false;

private:
    const std::string m_heldUp, m_release;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_holding = false, m_released = false;
};

// While a reader is held up in the directory the scan wants, the scan reads the next ones
// itself rather than wait: here the reader goes on only once the next one is being read.
TEST(ListingReadAhead, ScanReadsOnWhileAReaderIsHeldUp) {
    TempDir tmp;
    tmp.writeFile("root/a/f");
    tmp.writeFile("root/b/g");
    HoldingFileSystem fileSystem(tmp / "root/a/", tmp / "root/b/");
    ListingReadAhead ahead(fileSystem, tmp / "root", "*.*", true, allFiles(), 1);
    EXPECT_EQ(take(ahead, tmp / "root").names, (std::vector<std::string>{"a", "b"}));
    fileSystem.waitUntilHolding();
    EXPECT_EQ(take(ahead, tmp / "root/a").names, std::vector<std::string>{"f"});
    EXPECT_TRUE(fileSystem.releasedInTime);
    const Taken b = take(ahead, tmp / "root/b");
    EXPECT_TRUE(b.listed);
    EXPECT_EQ(b.names, std::vector<std::string>{"g"});
}

} // namespace
} // namespace ryk::test
