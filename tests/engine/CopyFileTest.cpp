#include "engine/CopyFile.h"

#include "engine/OperationEntry.h"
#include "platform/ErrorCodes.h"
#include "platform/Platform.h"
#include "platform/ProgressSinks.h"
#include "support/EngineFixture.h"
#include "support/Entries.h"
#include "support/TestFiles.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

/// The copy window as the copy drives it.
class RecordingWindow : public CopyProgressSink {
public:
    void showSourcePath(const std::string& path) override { source = path; }
    void showTargetPath(const std::string& path) override { target = path; }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setRange(uint64_t total) override { range = total; }
    void setPosition(uint64_t done) override { position = done; }
    bool isVisible() const override { return visible; }
    void setVisible(bool on) override { visible = on; }

    std::string source;
    std::string target;
    std::vector<std::string> statuses;
    uint64_t range = 0;
    uint64_t position = 0;
    bool visible = false;
};

using test::patterned;
using test::statOf;

void appendTo(const std::string& path, const char* text) {
    FILE* out = fopen(path.c_str(), "ab");
    ASSERT_NE(out, nullptr);
    fputs(text, out);
    fclose(out);
}

class CopyFileTest : public test::EngineTest {
protected:
    /// "src.bin" with `data`, last written long ago; "dst.bin" with `old` unless null.
    void makeFiles(const std::string& data, const char* old = "old") {
        source = tmp.writeFile("src.bin", data);
        const timespec times[2] = {{1000000000, 111}, {1100000000, 222}};
        ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
        if (old)
            tmp.writeFile("dst.bin", old);
    }
    OperationEntry makeEntry(OperationCommand command, uint64_t recordedSize) const {
        return test::makeEntry(command, source, recordedSize, tmp / "dst.bin");
    }
    int copy(OperationEntry& e) { return CopyFileWithProgress(platform, e, window, &stopped); }
    /// After a failed copy: the old target, the source, and nothing else.
    void expectNothingLost(const std::string& data, const std::string& context) {
        EXPECT_EQ(tmp.names(), (std::set<std::string>{"src.bin", "dst.bin"})) << context;
        EXPECT_EQ(tmp.readFile("dst.bin"), "old") << context;
        EXPECT_EQ(tmp.readFile("src.bin"), data) << context;
    }

    std::string source;
    RecordingWindow window;
    bool stopped = false;
};

TEST_F(CopyFileTest, UpdateReplacesTargetWithDataTimesAndAttributes) {
    const std::string data = patterned(100000);
    makeFiles(data);
    ASSERT_EQ(chmod(source.c_str(), 0444), 0);
    OperationEntry e = makeEntry(OperationCommand::Update, data.size());
    e.lastError = 99;

    EXPECT_EQ(copy(e), 1);
    EXPECT_EQ(e.lastError, 0);
    const struct stat st = statOf(tmp / "dst.bin");
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 222);
    EXPECT_EQ(st.st_atim.tv_nsec, 111);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(tmp.readFile("dst.bin"), data);
    EXPECT_EQ(tmp.names(), (std::set<std::string>{"src.bin", "dst.bin"}));
    EXPECT_TRUE(messages.shown.empty());

    // The copy is read-only like its source, so the next update of it is refused.
    EXPECT_EQ(copy(e), 0);
    EXPECT_EQ(e.lastError, EACCES);
}

TEST_F(CopyFileTest, TargetsThatMustNotBeTouched) {
    const struct {
        OperationCommand command;
        const char* source; // null: the usual one
        const char* target; // null: the usual one
        bool readOnlyTarget;
        int error;
        bool atTarget; // which of the two files the line shows as failed
    } cases[] = {
        // Copy and Move planned for a missing target: one that appeared since stays.
        {OperationCommand::Copy, nullptr, nullptr, false, EEXIST, true},
        {OperationCommand::Move, nullptr, nullptr, false, EEXIST, true},
        {OperationCommand::Update, nullptr, nullptr, true, EACCES, true},
        {OperationCommand::UpAndMove, nullptr, nullptr, true, EACCES, true},
        {OperationCommand::Update, "missing.bin", nullptr, false, ENOENT, false},
        {OperationCommand::Copy, nullptr, "nodir/dst.bin", false, ENOENT, true},
    };
    const std::string data = patterned(5000);
    makeFiles(data);
    for (const auto& c : cases) {
        const std::string context = commandName(c.command) + std::string(" ") +
                                    (c.source ? c.source : "") + (c.target ? c.target : "");
        ASSERT_EQ(chmod((tmp / "dst.bin").c_str(), c.readOnlyTarget ? 0444 : 0644), 0);
        OperationEntry e = makeEntry(c.command, data.size());
        if (c.source)
            e.source.path = tmp / c.source;
        if (c.target)
            e.setTargetPath(tmp / c.target);
        EXPECT_EQ(copy(e), 0) << context;
        EXPECT_EQ(e.lastError, c.error) << context;
        EXPECT_EQ(e.targetIsAtFault(), c.atTarget) << context;
        expectNothingLost(data, context);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(stopped);
}

TEST_F(CopyFileTest, WindowComesUpOnlyAboveOneChunk) {
    const struct {
        size_t size;
        bool visible;
        std::vector<std::string> statuses;
    } cases[] = {
        {0, false, {}},
        {32768, false, {}},
        // The status names what the line does.
        {32769, true, {"Open...", "(Update 32,768 bytes.) 99.9%", "(Update 32,769 bytes.) 100.0%"}},
        // Once up, it stays and shows small files too.
        {10, true, {"Open...", "(Update 10 bytes.) 100.0%"}},
        {0, true, {"Open..."}},
    };
    // Steps of one chunk each, as a copy through the buffer makes them.
    fileSystem.copyFaults.chunkLimit = kCopyChunkBytes;
    for (const auto& c : cases) {
        makeFiles(patterned(c.size), nullptr);
        window.statuses.clear();
        OperationEntry e = makeEntry(OperationCommand::Update, c.size);
        ASSERT_EQ(copy(e), 1) << c.size;
        EXPECT_EQ(window.visible, c.visible) << c.size;
        EXPECT_EQ(window.statuses, c.statuses) << c.size;
        EXPECT_EQ(window.range, c.size);
        EXPECT_EQ(window.position, c.size);
    }
    EXPECT_EQ(window.source, source);
    EXPECT_EQ(window.target, tmp / "dst.bin");
}

TEST_F(CopyFileTest, StatusFollowsShortChunks) {
    fileSystem.copyFaults.chunkLimit = 16384;
    makeFiles(patterned(65536), nullptr);
    OperationEntry e = makeEntry(OperationCommand::Copy, 65536);
    ASSERT_EQ(copy(e), 1);
    EXPECT_EQ(window.statuses,
              (std::vector<std::string>{"Open...", "(Copy 16,384 bytes.) 25.0%",
                                        "(Copy 32,768 bytes.) 50.0%", "(Copy 49,152 bytes.) 75.0%",
                                        "(Copy 65,536 bytes.) 100.0%"}));
    EXPECT_EQ(tmp.readFile("dst.bin"), patterned(65536));
}

TEST_F(CopyFileTest, SourceIsCopiedAsItIsNotAsPlanned) {
    const struct {
        size_t planned;
        size_t actual;
        bool visible;
    } cases[] = {{100, 70000, true}, {70000, 100, false}};
    for (const auto& c : cases) {
        makeFiles(patterned(c.actual));
        window = RecordingWindow();
        OperationEntry e = makeEntry(OperationCommand::Update, c.planned);
        ASSERT_EQ(copy(e), 1) << c.planned;
        EXPECT_EQ(tmp.readFile("dst.bin"), patterned(c.actual));
        EXPECT_EQ(window.visible, c.visible);
        if (c.visible) {
            EXPECT_EQ(window.statuses.back(), "(Update 70,000 bytes.) 100.0%");
        }
    }
}

TEST_F(CopyFileTest, SourceWrittenDuringTheCopyReplacesNothing) {
    const std::string data = patterned(100000);
    const struct {
        const char* name;
        std::function<void(uint64_t)> meanwhile;
    } cases[] = {
        {"appended", [this](uint64_t) { appendTo(source, "more"); }},
        {"rewritten in place",
         [this](uint64_t) {
             FILE* out = fopen(source.c_str(), "r+b");
             fputs("X", out);
             fclose(out);
         }},
    };
    for (const auto& c : cases) {
        makeFiles(data);
        // After the first step, however much it copied.
        bool done = false;
        fileSystem.copyFaults.afterChunk = [&](uint64_t copied) {
            if (!std::exchange(done, true))
                c.meanwhile(copied);
        };
        OperationEntry e = makeEntry(OperationCommand::Update, data.size());
        EXPECT_EQ(copy(e), 0) << c.name;
        EXPECT_EQ(e.lastError, kErrorSourceChanged) << c.name;
        EXPECT_FALSE(e.targetIsAtFault()) << c.name;
        EXPECT_EQ(tmp.names(), (std::set<std::string>{"src.bin", "dst.bin"})) << c.name;
        EXPECT_EQ(tmp.readFile("dst.bin"), "old") << c.name;
    }
}

TEST_F(CopyFileTest, InjectedFaultsLoseNothing) {
    const struct {
        const char* name;
        int writeError;
        uint64_t writeFailsAt;
        int commitError;
    } cases[] = {
        {"disk full midway", ENOSPC, 40000, 0},
        {"disk full at the last byte", ENOSPC, 99999, 0},
        {"write fails at once", EIO, 0, 0},
        {"rename fails", 0, 0, EIO},
    };
    const std::string data = patterned(100000);
    makeFiles(data);
    for (const auto& c : cases) {
        fileSystem.copyFaults = {};
        fileSystem.copyFaults.writeError = c.writeError;
        fileSystem.copyFaults.writeFailsAt = c.writeFailsAt;
        fileSystem.copyFaults.commitError = c.commitError;
        OperationEntry e = makeEntry(OperationCommand::Update, data.size());
        EXPECT_EQ(copy(e), 0) << c.name;
        EXPECT_EQ(e.lastError, c.writeError | c.commitError) << c.name;
        EXPECT_TRUE(e.targetIsAtFault()) << c.name;
        expectNothingLost(data, c.name);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CopyFileTest, TimesAndAttributesThatFailAreToldAndFailTheLineButTheCopyStands) {
    const struct {
        int statusError;
        int timesError;
        int attributesError;
        const char* message;
        MessageIcon icon;
        bool timesKept;
        int lineError;
    } cases[] = {
        {EIO, 0, 0, "日付が取得できません", MessageIcon::Exclamation, false, kErrorTimesNotKept},
        {0, EPERM, 0, "日付が設定できません", MessageIcon::Exclamation, false, kErrorTimesNotKept},
        {0, 0, ENOTSUP, "エラーが発生:Code=95\nOperation not supported", MessageIcon::Information,
         true, kErrorMetadataNotKept},
    };
    const std::string data = patterned(1000);
    for (const auto& c : cases) {
        makeFiles(data);
        messages.shown.clear();
        fileSystem.copyFaults = {};
        fileSystem.copyFaults.sourceStatusError = c.statusError;
        fileSystem.copyFaults.timesError = c.timesError;
        fileSystem.copyFaults.attributesError = c.attributesError;
        // Planned smaller than it is: the copy's range shows the facts it took at the open.
        OperationEntry e = makeEntry(OperationCommand::Update, 1);
        EXPECT_EQ(copy(e), 0) << c.message;
        EXPECT_EQ(e.lastError, c.lineError) << c.message;
        EXPECT_EQ(window.range, data.size()) << c.message;
        EXPECT_EQ(tmp.readFile("dst.bin"), data);
        EXPECT_EQ(statOf(tmp / "dst.bin").st_mtim.tv_sec == 1100000000, c.timesKept) << c.message;
        ASSERT_EQ(messages.shown.size(), 1u) << c.message;
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].icon, c.icon);
    }
}

TEST_F(CopyFileTest, AbortKeyStopsTheCopyAndSignalsAloneDoNot) {
    const struct {
        const char* name;
        int interruptions;
        int quietPolls;
        std::vector<AbortKeyEvent> events;
        MessageAnswer answer;
        int result;
        int polls;
    } cases[] = {
        {"Control after three chunks", 0, 3, {AbortKeyEvent::ControlDown}, {}, 0, 4},
        {"Escape, then Yes", 0, 1, {AbortKeyEvent::EscapeReleased}, MessageAnswer::Yes, 0, 2},
        {"Escape, then No", 0, 1, {AbortKeyEvent::EscapeReleased}, MessageAnswer::No, 1, 32},
        {"a signal that was Ctrl+C", 1, 0, {AbortKeyEvent::ControlDown}, {}, 0, 1},
        {"a signal that was not", 2, 0, {}, {}, 1, 34},
    };
    const std::string data = patterned(1 << 20);
    makeFiles(data);
    for (const auto& c : cases) {
        fileSystem.copyFaults = {};
        fileSystem.copyFaults.chunkLimit = kCopyChunkBytes;
        fileSystem.copyFaults.interruptions = c.interruptions;
        keys.quietPolls = c.quietPolls;
        keys.events.assign(c.events.begin(), c.events.end());
        keys.polls = 0;
        messages.answers = {c.answer};
        stopped = false;
        OperationEntry e = makeEntry(OperationCommand::Update, data.size());
        EXPECT_EQ(copy(e), c.result) << c.name;
        EXPECT_EQ(keys.polls, c.polls) << c.name;
        EXPECT_EQ(stopped, c.result == 0) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(e.lastError, kErrorCancelled) << c.name;
            expectNothingLost(data, c.name);
        } else {
            EXPECT_EQ(tmp.readFile("dst.bin"), data) << c.name;
            tmp.writeFile("dst.bin", "old");
        }
    }
}

} // namespace
} // namespace ryk
