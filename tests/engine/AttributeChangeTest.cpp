#include "engine/AttributeChange.h"

#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "platform/ErrorCodes.h"
#include "support/EngineFixture.h"
#include "support/ScopedEnv.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using Box = AttributeBox;

class AttributeChangeTest : public test::EngineTest {
protected:
    /// Appends a Find line for the file at `relative` with the facts a look at it gives now.
    void addSource(const std::string& relative) {
        OperationEntry entry;
        entry.setCommand(OperationCommand::Find);
        const std::string path = tmp / relative;
        entry.source.path = path;
        FileStatus status;
        EXPECT_EQ(fileSystem.status(path, status, LinkMode::Describe), 0) << path;
        OperationEntry::fillFacts(entry.source, status);
        list.append(std::move(entry));
    }
    /// Applies `request` to the sources of every row.
    ChangeSummary apply(const ChangeRequest& request, ChangeObserver* observer = nullptr) {
        std::vector<int> rows;
        for (size_t i = 0; i < list.size(); ++i)
            rows.push_back(static_cast<int>(i));
        return applyChange(platform, changeTargets(list, rows, ChangeSide::Source), request,
                           observer);
    }
    mode_t modeOf(const std::string& relative) const {
        struct stat st {};
        lstat((tmp / relative).c_str(), &st);
        return st.st_mode & 07777;
    }
    std::string storedText(const std::string& relative) const {
        char buffer[64];
        const ssize_t n =
            lgetxattr((tmp / relative).c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
        return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
    }
    bool xattrsSupported(const std::string& relative) const {
        const std::string path = tmp / relative;
        if (lsetxattr(path.c_str(), "user.ryk-probe", "1", 1, 0) != 0)
            return false;
        lremovexattr(path.c_str(), "user.ryk-probe");
        return true;
    }
    uint32_t wordOnDisk(const std::string& relative) {
        FileStatus status;
        EXPECT_EQ(fileSystem.status(tmp / relative, status, LinkMode::Describe), 0);
        return status.attributes;
    }
    LocalFields writtenOnDisk(const std::string& relative, int32_t* nanoseconds = nullptr) {
        FileStatus status;
        EXPECT_EQ(fileSystem.status(tmp / relative, status, LinkMode::Describe), 0);
        if (nanoseconds)
            *nanoseconds = status.lastWriteTime.nanoseconds;
        LocalFields fields;
        EXPECT_TRUE(DateTime::fromFileTime(status.lastWriteTime).toLocalFields(fields));
        return fields;
    }
    static ChangeRequest attributes(std::initializer_list<std::pair<Box, TriState>> boxes) {
        ChangeRequest request;
        for (const auto& [box, state] : boxes)
            request.attributes[box] = state;
        return request;
    }

    OperationList list;
};

TEST(AttributeChoice, BoxesShowTheCommonStateAndOnlyTouchedOnesChange) {
    using enum TriState;
    EXPECT_EQ(commonState({}).boxes, (std::array{Unchanged, Unchanged, Unchanged, Unchanged}));
    const uint32_t words[] = {attr::kReadOnly | attr::kHidden, attr::kReadOnly,
                              attr::kReadOnly | attr::kSystem | attr::kDirectory};
    const AttributeChoice shown = commonState({words[0], words[1], words[2]});
    EXPECT_EQ(shown.boxes, (std::array{Set, Unchanged, Unchanged, Clear}));

    // Boxes left as they came change nothing, even where they show a definite state.
    AttributeChoice chosen = shown;
    chosen[Box::Hidden] = Set;
    chosen[Box::Archive] = Unchanged;
    const AttributeChoice changed = changedBoxes(shown, chosen);
    EXPECT_EQ(changed.boxes, (std::array{Unchanged, Set, Unchanged, Unchanged}));
    EXPECT_EQ(changed.mask(), attr::kHidden);
    EXPECT_EQ(changedBoxes(shown, shown).mask(), 0u);

    // Only the chosen bits move; the "." and ".." marker never reaches the file system.
    AttributeChoice both;
    both[Box::ReadOnly] = Set;
    both[Box::Archive] = Clear;
    EXPECT_EQ(both.apply(attr::kArchive | attr::kSystem | attr::kDots),
              attr::kReadOnly | attr::kSystem);
}

TEST_F(AttributeChangeTest, ReadOnlyOnAndOffChangesTheOwnerWriteBit) {
    tmp.writeFile("a.txt", "a");
    ASSERT_EQ(chmod((tmp / "a.txt").c_str(), 0664), 0);
    addSource("a.txt");

    ChangeSummary summary = apply(attributes({{Box::ReadOnly, TriState::Set}}));
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_EQ(modeOf("a.txt"), 0444u);
    EXPECT_EQ(list.at(0)->source.attributes, attr::kReadOnly);
    EXPECT_EQ(list.at(0)->source.permissions, 0444u);

    summary = apply(attributes({{Box::ReadOnly, TriState::Clear}}));
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_EQ(modeOf("a.txt"), 0644u);
    EXPECT_EQ(list.at(0)->source.attributes, attr::kNormal);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AttributeChangeTest, HiddenOnANameWithoutDotIsStoredInTheExtendedAttribute) {
    tmp.writeFile("plain.txt");
    tmp.writeFile(".dot");
    if (!xattrsSupported("plain.txt"))
        GTEST_SKIP() << "no user extended attributes here";
    addSource("plain.txt");
    addSource(".dot");

    EXPECT_EQ(apply(attributes({{Box::Hidden, TriState::Set}})).changed, 2u);
    EXPECT_EQ(storedText("plain.txt"), "0x2");
    EXPECT_EQ(storedText(".dot"), ""); // its name hides it already
    EXPECT_EQ(list.at(0)->source.attributes, attr::kHidden);
    EXPECT_EQ(list.at(1)->source.attributes, attr::kHidden);

    EXPECT_EQ(apply(attributes({{Box::Hidden, TriState::Clear}})).changed, 2u);
    EXPECT_EQ(storedText("plain.txt"), "");
    EXPECT_EQ(list.at(0)->source.attributes, attr::kNormal);
    // A dot name cannot lose what its name says.
    EXPECT_EQ(list.at(1)->source.attributes, attr::kHidden);
}

TEST_F(AttributeChangeTest, AnUnchangedBoxLeavesEachFileItsOwnBit) {
    for (const char* name : {"ro.txt", "sys.txt", "plain.txt"})
        tmp.writeFile(name);
    const bool xattrs = xattrsSupported("plain.txt");
    ASSERT_EQ(chmod((tmp / "ro.txt").c_str(), 0444), 0);
    for (const char* name : {"ro.txt", "sys.txt", "plain.txt"})
        addSource(name);
    // Stored after the look, as by a scan that does not read the stored bits: the change
    // must still keep it.
    if (xattrs) {
        ASSERT_EQ(lsetxattr((tmp / "sys.txt").c_str(), "user.DOSATTRIB", "0x4", 3, 0), 0);
    }

    const ChangeRequest request = xattrs ? attributes({{Box::Archive, TriState::Set}})
                                         : attributes({{Box::Hidden, TriState::Clear}});
    EXPECT_EQ(apply(request).changed, 3u);
    const uint32_t added = xattrs ? attr::kArchive : 0;
    EXPECT_EQ(wordOnDisk("ro.txt"), attr::kReadOnly | added);
    EXPECT_EQ(modeOf("ro.txt") & 0222, 0u);
    EXPECT_EQ(wordOnDisk("plain.txt"), added ? added : attr::kNormal);
    if (xattrs) {
        EXPECT_EQ(wordOnDisk("sys.txt"), attr::kSystem | attr::kArchive);
        EXPECT_EQ(list.at(1)->source.attributes, attr::kSystem | attr::kArchive);
    }
}

TEST_F(AttributeChangeTest, DateAndTimeReplaceTheirPartOfTheLastWriteTime) {
    const test::ScopedTimeZone zone("JST-9");
    const LocalFields recorded{2020, 1, 2, 10, 20, 30};
    const LocalFields chosen{2021, 3, 4, 5, 6, 7};
    struct Case {
        bool setDate;
        bool setTime;
        LocalFields expected;
    };
    const Case cases[] = {
        {true, false, {2021, 3, 4, 10, 20, 30}},
        {false, true, {2020, 1, 2, 5, 6, 7}},
        {true, true, {2021, 3, 4, 5, 6, 7}},
    };
    tmp.writeFile("f.txt", "data");
    for (const Case& c : cases) {
        int64_t seconds = 0;
        ASSERT_TRUE(fromLocalFields(recorded, seconds));
        const FileTime old{seconds, 250000000};
        ASSERT_EQ(fileSystem.setTimes(tmp / "f.txt", nullptr, &old), 0);
        list.clear();
        addSource("f.txt");

        ChangeRequest request;
        request.dates = {c.setDate, chosen, c.setTime, chosen};
        EXPECT_EQ(apply(request).changed, 1u);
        int32_t nanoseconds = -1;
        EXPECT_EQ(writtenOnDisk("f.txt", &nanoseconds), c.expected);
        EXPECT_EQ(nanoseconds, 0);
        LocalFields inEntry;
        ASSERT_TRUE(list.at(0)->source.lastWriteTime().toLocalFields(inEntry));
        EXPECT_EQ(inEntry, c.expected);
    }
    EXPECT_EQ(tmp.readFile("f.txt"), "data");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AttributeChangeTest, ADateChangedHereIsWhatTheRunExpectsOfThePlannedTarget) {
    // The run refuses to replace a target changed since planning; a change made from the list
    // is the user's own and must not count as one.
    tmp.writeFile("t.txt", "old");
    OperationEntry entry;
    entry.setCommand(OperationCommand::Update);
    entry.setTargetPath(tmp / "t.txt");
    FileStatus status;
    ASSERT_EQ(fileSystem.status(tmp / "t.txt", status, LinkMode::Describe), 0);
    OperationEntry::fillFacts(entry.editTarget(), status);
    entry.notePlannedTarget(status.lastWriteTime);
    list.append(std::move(entry));

    ChangeRequest request;
    request.dates = {true, LocalFields{2021, 3, 4, 5, 6, 7}, false, {}};
    EXPECT_EQ(applyChange(platform, changeTargets(list, {0}, ChangeSide::Target), request, nullptr)
                  .changed,
              1u);
    ASSERT_EQ(fileSystem.status(tmp / "t.txt", status, LinkMode::Describe), 0);
    FileTime noted;
    ASSERT_TRUE(list.at(0)->plannedTargetWrite(noted));
    EXPECT_EQ(noted, status.lastWriteTime);
}

TEST_F(AttributeChangeTest, ALinkChangesItselfAndNotWhatItPointsTo) {
    tmp.writeFile("target.txt");
    ASSERT_EQ(chmod((tmp / "target.txt").c_str(), 0644), 0);
    ASSERT_EQ(symlink("target.txt", (tmp / "link").c_str()), 0);
    const LocalFields targetWritten = writtenOnDisk("target.txt");
    addSource("link");

    ChangeRequest request = attributes({{Box::ReadOnly, TriState::Set}});
    request.dates = {true, {2001, 2, 3}, true, {0, 0, 0, 4, 5, 6}};
    apply(request);
    EXPECT_EQ(writtenOnDisk("link"), (LocalFields{2001, 2, 3, 4, 5, 6}));
    EXPECT_EQ(writtenOnDisk("target.txt"), targetWritten);
    EXPECT_EQ(modeOf("target.txt"), 0644u);
    EXPECT_EQ(list.at(0)->source.attributes & attr::kReparsePoint, attr::kReparsePoint);
}

TEST_F(AttributeChangeTest, AFileRemovedSinceTheScanIsNotCreatedAgain) {
    tmp.writeFile("gone.txt", "x");
    tmp.writeFile("kept.txt", "y");
    addSource("gone.txt");
    addSource("kept.txt");
    ASSERT_EQ(unlink((tmp / "gone.txt").c_str()), 0);

    ChangeRequest request;
    request.dates = {true, {2010, 10, 10}, false, {}};
    const ChangeSummary summary = apply(request);
    EXPECT_FALSE(std::filesystem::exists(tmp / "gone.txt"));
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_EQ(summary.failed, 1u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              FileUtility::systemErrorText(kErrorFileNotFound, tmp / "gone.txt"));
    EXPECT_EQ(writtenOnDisk("kept.txt").year, 2010);
}

TEST_F(AttributeChangeTest, ARefusedChangeKeepsTheWordOnDiskAndSaysSo) {
    tmp.writeFile("f.txt");
    ASSERT_EQ(chmod((tmp / "f.txt").c_str(), 0644), 0);
    addSource("f.txt");
    fileSystem.attributesError = EOPNOTSUPP;

    ChangeRequest request =
        attributes({{Box::ReadOnly, TriState::Set}, {Box::System, TriState::Set}});
    request.dates = {true, {2012, 12, 12}, false, {}};
    const ChangeSummary summary = apply(request);
    EXPECT_EQ(list.at(0)->source.attributes, attr::kNormal);
    EXPECT_EQ(modeOf("f.txt"), 0644u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, FileUtility::systemErrorText(EOPNOTSUPP, tmp / "f.txt"));
    // The date was accepted all the same, and the row counts as changed by it.
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(writtenOnDisk("f.txt").year, 2012);
}

TEST_F(AttributeChangeTest, TargetsAreTheFoundFilesOfTheChosenSideInRowOrder) {
    const std::string source = tmp.makeDir("src");
    const std::string destination = tmp.makeDir("dst");
    tmp.writeFile("src/a.txt", "new");
    tmp.writeFile("src/b.txt", "new");
    tmp.writeFile("dst/b.txt", "old");
    const FileTime old{1000000000, 0};
    ASSERT_EQ(fileSystem.setTimes(tmp / "dst/b.txt", nullptr, &old), 0);
    auto job = plannedJob(settings(TransferMode::Update, source, destination));
    ASSERT_EQ(lines(*job), (std::vector<std::string>{"Copy \"src/a.txt\" \"dst/a.txt\"",
                                                     "Update \"src/b.txt\" \"dst/b.txt\""}));
    OperationList& planned = job->list();

    const auto rowsOf = [](const std::vector<ChangeTarget>& targets) {
        std::vector<size_t> rows;
        for (const ChangeTarget& t : targets)
            rows.push_back(t.row);
        return rows;
    };
    const std::vector<int> asked{1, 0, 1, 7, -1};
    const auto sources = changeTargets(planned, asked, ChangeSide::Source);
    EXPECT_EQ(rowsOf(sources), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(sources[1].facts, &planned.at(1)->source);
    // The destination of a copy not made yet has nothing to change.
    const auto targets = changeTargets(planned, asked, ChangeSide::Target);
    EXPECT_EQ(rowsOf(targets), (std::vector<size_t>{1}));
    EXPECT_EQ(targets[0].facts, &planned.at(1)->editTarget());
    EXPECT_EQ(currentWords(fileSystem, targets), (std::vector<uint32_t>{attr::kNormal}));
}

TEST_F(AttributeChangeTest, ADirectoryRowChangesItsDirectoryWhileItStands) {
    const std::string source = tmp.makeDir("src");
    tmp.writeFile("src/old/f.txt");
    tmp.writeFile("src/new/g.txt");
    const std::string destination = tmp.makeDir("dst");
    OptionFlags flags = recursive();
    flags.removeSourceDirectories = 1;
    auto removal = plannedJob(settings(TransferMode::Delete, source, {}, flags));
    auto update = plannedJob(settings(TransferMode::Update, source, destination, recursive()));
    ASSERT_EQ(lines(*removal)[1], "Rmdir \"src/new\" ");
    ASSERT_EQ(lines(*update)[0], "Mkdir \"dst/new\" ");
    OperationList& rmdirs = removal->list();
    OperationList& mkdirs = update->list();

    const auto pathsOf = [](OperationList& list, int row, ChangeSide side) {
        std::vector<std::string> paths;
        for (const ChangeTarget& t : changeTargets(list, {row}, side))
            paths.push_back(t.facts->path.str());
        return paths;
    };
    using Paths = std::vector<std::string>;
    // The directory a Rmdir removes, in the tree it lies in; a Mkdir's own only once made.
    EXPECT_EQ(pathsOf(rmdirs, 1, ChangeSide::Source), Paths{source + "/new"});
    EXPECT_EQ(pathsOf(rmdirs, 1, ChangeSide::Target), Paths{});
    EXPECT_EQ(pathsOf(mkdirs, 0, ChangeSide::Source), Paths{source + "/new"});
    EXPECT_EQ(pathsOf(mkdirs, 0, ChangeSide::Target), Paths{});

    ChangeRequest request = attributes({{Box::ReadOnly, TriState::Set}});
    request.dates.setDate = true;
    request.dates.date = {2012, 3, 4, 0, 0, 0};
    const ChangeSummary summary =
        applyChange(platform, changeTargets(rmdirs, {1}, ChangeSide::Source), request);
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(modeOf("src/new") & 0222, 0u);
    EXPECT_EQ(writtenOnDisk("src/new").year, 2012);
    EXPECT_EQ(rmdirs.at(1)->source.attributes & (attr::kReadOnly | attr::kDirectory),
              attr::kReadOnly | attr::kDirectory);
    ASSERT_EQ(chmod((tmp / "src/new").c_str(), 0755), 0);

    run(*update);
    EXPECT_EQ(pathsOf(mkdirs, 0, ChangeSide::Target), Paths{destination + "/new"});
    run(*removal);
    EXPECT_EQ(pathsOf(rmdirs, 1, ChangeSide::Source), Paths{}) << "removed: nothing to change";
}

TEST_F(AttributeChangeTest, TheAbortKeyStopsBetweenFilesAndTheCountFollows) {
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
        tmp.writeFile(name);
        ASSERT_EQ(chmod((tmp / name).c_str(), 0644), 0);
        addSource(name);
    }
    struct Recorder : ChangeObserver {
        void targetDone(size_t row, size_t changed) override { calls.emplace_back(row, changed); }
        std::vector<std::pair<size_t, size_t>> calls;
    } recorder;
    keys.quietPolls = 2;
    keys.events = {AbortKeyEvent::ControlDown};

    const ChangeSummary summary = apply(attributes({{Box::ReadOnly, TriState::Set}}), &recorder);
    EXPECT_TRUE(summary.aborted);
    EXPECT_EQ(summary.changed, 2u);
    EXPECT_EQ(recorder.calls, (std::vector<std::pair<size_t, size_t>>{{0, 1}, {1, 2}}));
    EXPECT_EQ(modeOf("2.txt"), 0444u);
    EXPECT_EQ(modeOf("3.txt"), 0644u);
}

} // namespace
} // namespace ryk
