#include "engine/OperationEntry.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using test::TempDir;

TEST(SharedPath, PathsOfAPairShareTheirNameAndOutliveEverythingElse) {
    auto pairs = std::make_unique<DirectoryPairs>(std::make_shared<NameStore>());
    auto source = std::make_unique<SharedDirectory>(pairs->pair("/src/sub/", 4, "/dst/sub/", 5));
    auto first = std::make_unique<SharedPath>(*source, "名前.txt");
    SharedPath second = SharedPath::withNameOf(source->counterpart(), *first);
    SharedPath third = first->counterpart();
    // Pairs made one after the other share what their directories begin with, while it lasts.
    const SharedPath sibling(pairs->pair("/src/b/", 4, "/dst/b/", 5).counterpart(), "x");
    const SharedPath other = SharedPath::withNameOf(pairs->pair("/elsewhere/", 1, {}, 0), *first);
    source.reset();
    pairs.reset();
    EXPECT_EQ(first->str(), "/src/sub/名前.txt");
    EXPECT_EQ(first->rootLength(), 4u);
    first.reset();
    EXPECT_EQ(second.str(), "/dst/sub/名前.txt");
    EXPECT_TRUE(third == "/dst/sub/名前.txt");
    EXPECT_EQ(third.name(), "名前.txt");
    EXPECT_EQ(third.rootLength(), 5u);
    EXPECT_EQ(third.counterpart().str(), "/src/sub/名前.txt");
    EXPECT_EQ(third.withoutRoot().rootLength(), TreePath::kWholeParent);
    EXPECT_EQ(third.withoutRoot().str(), "/dst/sub/名前.txt");
    EXPECT_EQ(other.str(), "/elsewhere/名前.txt");
    EXPECT_EQ(sibling.str(), "/dst/b/x");
    EXPECT_EQ(sibling.rootLength(), 5u);

    second = SharedPath("/whole/path", 3);
    third = std::move(second);
    EXPECT_EQ(third.str(), "/whole/path");
    EXPECT_EQ(third.size(), 11u);
    EXPECT_EQ(third.rootLength(), 3u);
    EXPECT_EQ(third.withoutRoot().rootLength(), TreePath::kWholeParent);
    EXPECT_TRUE(third.counterpart().empty());
    third = SharedPath();
    EXPECT_TRUE(third.empty());
    EXPECT_EQ(third.str(), "");
}

TEST(SharedPath, NamesOfEverySizeKeepTheirDirectoryWhereverTheirsInterleave) {
    DirectoryPairs pairs(std::make_shared<NameStore>());
    const SharedDirectory a = pairs.pair("/a/", 1, "/b/", 1);
    const SharedDirectory c = pairs.pair("/c/", 1, {}, 0);
    // Long enough that the names of one directory fill many blocks and outrun what a run of
    // them reaches; one too long for a short size; the empty name.
    const std::string sizes[] = {"x", std::string(70000, 'L'), std::string(3000, 'm'), ""};
    std::vector<std::pair<SharedPath, std::string>> made;
    for (int i = 0; i < 400; ++i) {
        const std::string name = sizes[i % 4] + std::to_string(i);
        made.emplace_back(SharedPath(i % 7 == 3 ? c : a, name),
                          (i % 7 == 3 ? "/c/" : "/a/") + name);
    }
    for (const auto& [path, text] : made) {
        ASSERT_EQ(path.str(), text);
        if (text.starts_with("/a/")) {
            EXPECT_EQ(path.counterpart().str(), "/b/" + text.substr(3));
        }
    }
}

TEST(OperationEntry, ATargetWithoutFactsIsThePathItWasGiven) {
    DirectoryPairs pairs(std::make_shared<NameStore>());
    const SharedDirectory directory = pairs.pair("/s/", 3, "/d/", 3);
    OperationEntry e;
    e.source.path = SharedPath(directory, "a");
    e.setTargetToCounterpart();
    EXPECT_EQ(e.targetPath().str(), "/d/a");
    EXPECT_EQ(e.target().path.rootLength(), 3u);
    EXPECT_FALSE(e.target().found);
    e.setTargetAtFault(false);
    EXPECT_FALSE(e.targetIsAtFault());

    OperationEntry copy = e;
    copy.editTarget().size = 7;
    copy.setTargetAtFault(true);
    EXPECT_EQ(copy.targetPath().str(), "/d/a"); // kept when the target gets facts
    EXPECT_EQ(copy.faultyPath().str(), "/d/a");
    EXPECT_EQ(e.target().size, 0u); // the copy's facts are its own
    EXPECT_EQ(e.faultyPath().str(), "/s/a");
    copy.setTargetPath("/other");
    EXPECT_EQ(copy.target().size, 7u);
    EXPECT_EQ(copy.targetPath().str(), "/other");
    copy.setTargetToCounterpart();
    EXPECT_EQ(copy.targetPath().str(), "/d/a");
    e.setTargetPath({});
    EXPECT_TRUE(e.targetPath().empty());
}

TEST(OperationEntry, FreshEntryIsPendingAndEmpty) {
    OperationEntry e;
    EXPECT_EQ(e.command, OperationCommand::Copy);
    EXPECT_EQ(e.state, kStatePending);
    EXPECT_EQ(e.lastError, 0);
    EXPECT_TRUE(e.source.path.empty());
    EXPECT_TRUE(e.target().foundPath().empty()); // how a missing target is told from a present one
    EXPECT_EQ(e.source.size, 0u);
    EXPECT_EQ(e.target().lastWriteTime(), (DateTime{0.0, true}));
    EXPECT_EQ(e.target().creationTime(), (DateTime{0.0, true}));

    e.state = kStateFailed;
    e.setCommand(OperationCommand::Delete);
    EXPECT_EQ(e.command, OperationCommand::Delete);
    EXPECT_EQ(e.state, kStatePending);
}

TEST(OperationEntry, CommandNames) {
    const char* names[] = {"Copy",  "Update", "Move",  "Up&Move", "Delete",
                           "Rmdir", "Find",   "Mkdir", "Error"};
    for (int i = 0; i < 9; ++i)
        EXPECT_STREQ(commandName(static_cast<OperationCommand>(i)), names[i]);
    EXPECT_STREQ(commandName(static_cast<OperationCommand>(9)), "");
}

TEST(OperationEntry, FillsFactsFromSearchHits) {
    test::ScopedTimeZone zone("JST-9");
    TempDir dir;
    const std::string file = dir.writeFile("a.txt", "hello");
    dir.makeDir("sub");
    const timespec times[2] = {{1600000000, 5}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    PosixFileSystem fs;
    auto search = fs.newSearch();
    ASSERT_EQ(search->findFile(dir / "*.*"), 0);
    std::vector<std::pair<std::string, FileFacts>> hits;
    while (search->findNextFile()) {
        OperationEntry e;
        e.source.path = "kept";
        FileStatus status;
        ASSERT_EQ(search->status(status), 0);
        EXPECT_TRUE(OperationEntry::fillFacts(e.source, status));
        EXPECT_EQ(e.source.path.str(), "kept"); // the planner sets the path, not the fill
        hits.emplace_back(search->fileName(), e.source);
    }
    ASSERT_EQ(hits.size(), 4u);
    EXPECT_EQ(hits[0].first, ".");
    EXPECT_EQ(hits[0].second.attributes & (attr::kDirectory | attr::kDots),
              attr::kDirectory | attr::kDots);
    EXPECT_EQ(hits[1].first, "..");
    EXPECT_TRUE(hits[1].second.attributes & attr::kDots);

    const FileFacts& a = hits[2].second;
    EXPECT_EQ(hits[2].first, "a.txt");
    EXPECT_EQ(a.size, 5u);
    EXPECT_TRUE(a.found);
    EXPECT_EQ(a.attributes & (attr::kDirectory | attr::kDots), 0u);
    EXPECT_EQ(a.lastWriteTime(), DateTime::fromFileTime({1700000000, 0}));
    EXPECT_EQ(a.lastAccessTime(), DateTime::fromFileTime({1600000000, 0}));

    EXPECT_EQ(hits[3].first, "sub");
    EXPECT_TRUE(hits[3].second.attributes & attr::kDirectory);
    EXPECT_FALSE(hits[3].second.attributes & attr::kDots);
}

TEST(OperationList, KeepsOrderAndDeletesWhatItRemoves) {
    OperationList list;
    std::vector<OperationEntry*> added;
    for (int i = 0; i < 5; ++i) {
        OperationEntry e;
        e.source.path = std::to_string(i);
        added.push_back(&list.append(std::move(e)));
    }
    ASSERT_EQ(list.size(), 5u);
    EXPECT_TRUE(list.remove(added[2]));
    EXPECT_FALSE(list.remove(added[2])); // already gone
    EXPECT_TRUE(list.removeAt(0));
    EXPECT_FALSE(list.removeAt(3));
    EXPECT_EQ(list.at(3), nullptr);

    std::string order;
    for (const auto& e : list)
        order += e->source.path.str();
    EXPECT_EQ(order, "134");
    EXPECT_EQ(list.at(1), added[3]);

    // Past one block of places, and places that removed lines leave taken again: an entry
    // stays where it was made, the order stays the list's.
    std::vector<std::string> expected = {"1", "3", "4"};
    const auto add = [&](int i) {
        OperationEntry e;
        e.source.path = std::to_string(i);
        added.push_back(&list.append(std::move(e)));
        expected.push_back(std::to_string(i));
    };
    for (int i = 5; i < 700; ++i)
        add(i);
    ASSERT_TRUE(list.removeRange(10, 300));
    expected.erase(expected.begin() + 10, expected.begin() + 310);
    for (int i = 700; i < 1000; ++i)
        add(i);
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(list.at(i)->source.path.str(), expected[i]) << i;
    EXPECT_EQ(list.at(1), added[3]);
    EXPECT_EQ(list.at(list.size() - 1), added.back());

    // A list moved from takes lines again.
    const OperationList moved = std::move(list);
    EXPECT_EQ(moved.at(1), added[3]);
    list.append(OperationEntry());
    EXPECT_EQ(list.size(), 1u);

    list.clear();
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace ryk
