#include "app/CommandLine.h"

#include "support/EngineFixture.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

using Arguments = std::vector<std::string>;

constexpr const char* kTooLong = "パラメータが長すぎます...";
constexpr const char* kSecondResponse = "応答モードでは応答ファイルを２つ以上指定できません。";
constexpr const char* kUpdateRm = "更新モードでは -rm オプションは無効です";
constexpr const char* kSearchRecursion = "検索モードでは -e -e0 -rm オプションは無効です。";
constexpr const char* kDeleteRecursion = "検索モードでは -e -e0 オプションは無効です。";
constexpr const char* kDateOptions = "検索/削除モードでは -x -u -u0 オプションは無効です。";

// Flag bytes in block order: sub rec empty dirsOnly rmSrc | date ignore missing existing after.
using Flags = std::array<int, OptionFlags::kCount>;

Flags flagsOf(const JobSettings& job) {
    Flags result{};
    for (int i = 0; i < OptionFlags::kCount; ++i)
        result[i] = job.flags[i];
    return result;
}

class CommandLineTest : public test::EngineTest {
protected:
    /// Reads a command line that must be accepted.
    void read(const Arguments& arguments) {
        EXPECT_TRUE(readCommandLine(arguments, job, flags, fileSystem, messages));
    }

    JobSettings job;
    StartupFlags flags;
};

struct OptionCase {
    Arguments arguments;
    TransferMode mode;
    Flags flags;
};

TEST_F(CommandLineTest, OptionsSetModeAndFlagsLastInGroupWins) {
    const OptionCase cases[] = {
        {{"-r"}, TransferMode::Update, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{"-R"}, TransferMode::Update, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{"-m", "-rm"}, TransferMode::Move, {1, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {{"-M", "-RM"}, TransferMode::Move, {1, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {{"-r", "-e"}, TransferMode::Update, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {{"-e", "-r"}, TransferMode::Update, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{"-e0"}, TransferMode::Update, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {{"-e0", "-E"}, TransferMode::Update, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {{"-m", "-rm", "-r"}, TransferMode::Move, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{"-u"}, TransferMode::Update, {0, 0, 0, 0, 0, 1, 0, 0, 1, 0}},
        {{"-u", "-u0"}, TransferMode::Update, {0, 0, 0, 0, 0, 1, 0, 1, 0, 0}},
        {{"-x", "-u"}, TransferMode::Update, {0, 0, 0, 0, 0, 1, 0, 0, 1, 0}},
        {{"-X"}, TransferMode::Update, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0}},
        // Groups are independent of each other.
        {{"-e", "-x"}, TransferMode::Update, {1, 0, 1, 0, 0, 1, 1, 0, 0, 0}},
        {{"-s"}, TransferMode::Search, {}},
        {{"-sd"}, TransferMode::Delete, {}},
        {{"-SD"}, TransferMode::Delete, {}},
        {{"-U0", "-Sd"}, TransferMode::Delete, {}},
        {{"-m"}, TransferMode::Move, {}},
        {{"-@"}, TransferMode::Response, {}},
        {{"-="}, TransferMode::Sync, {}},
        {{"-s", "-m"}, TransferMode::Move, {}},
        {{"-sd", "-s"}, TransferMode::Search, {}},
        {{"-?", "-i"}, TransferMode::Update, {}},
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        job = JobSettings();
        messages.shown.clear();
        read(c.arguments);
        EXPECT_EQ(job.mode, c.mode);
        EXPECT_EQ(flagsOf(job), c.flags);
        if (c.arguments == Arguments{"-U0", "-Sd"})
            EXPECT_EQ(messages.texts(), std::vector<std::string>{kDateOptions});
        else
            EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(job.sourceDirectory + job.sourcePatterns, "");
        EXPECT_EQ(job.exclusionPatterns, "");
    }
}

TEST_F(CommandLineTest, UnknownOptionIsRefusedByNameAndNothingAfterItIsRead) {
    // A directory named like an option, typos, long options, letters of no option and options
    // with more after them: an option counts only as spelt, so "-sdcard/" is no "-sd" and
    // "-rs" no "-r". Reading stops at once: the path after it must not become the source, and
    // the validation message of "-s -u" is not shown for a command line that is refused anyway.
    const std::string unknown[] = {"-data",    "--rnu",   "--foo", "--run",    "-",         "-q",
                                   "-Q",       "-1",      "-b",    "-\xff",    "-/",        "---",
                                   "-sdcard/", "-music/", "-usb/", "-export/", "-x-files/", "-e/",
                                   "-mr",      "-rs",     "-rmx",  "-sx",      "-e1",       "-?x",
                                   "-iq",      "-u00",    "-=s",   "-@@"};
    for (const std::string& token : unknown) {
        SCOPED_TRACE(token);
        job = JobSettings();
        messages.shown.clear();
        EXPECT_FALSE(
            readCommandLine({"-s", "-u", token, "next", "-m"}, job, flags, fileSystem, messages));
        ASSERT_EQ(messages.texts(), std::vector<std::string>{"不明なオプションです: " + token});
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(job.sourceDirectory + job.sourcePatterns, "");
        EXPECT_EQ(job.mode, TransferMode::Search);
    }
}

TEST_F(CommandLineTest, DoubleDashEndsTheOptions) {
    const struct {
        Arguments arguments;
        TransferMode mode;
        Flags flags;
        std::string source;      // directory + patterns
        std::string destination; // directory + pattern
    } cases[] = {
        {{"-r", "--", "-data", "-x"},
         TransferMode::Update,
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
         "-data",
         "-x"},
        // Only the first "--" ends the options; a second one is a path.
        {{"--", "--", "-m"}, TransferMode::Update, {}, "--", "-m"},
        {{"-s", "--"}, TransferMode::Search, {}, "", ""},
        {{"src", "--", "--run"}, TransferMode::Update, {}, "src", "--run"},
        {{"-@", "--", "-list.rsp"}, TransferMode::Response, {}, "-list.rsp", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        job = JobSettings();
        read(c.arguments);
        EXPECT_EQ(job.mode, c.mode);
        EXPECT_EQ(flagsOf(job), c.flags);
        EXPECT_EQ(job.sourceDirectory + job.sourcePatterns, c.source);
        EXPECT_EQ(job.destinationDirectory + job.destinationPattern, c.destination);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandLineTest, StartupFlagsAndResetOnReading) {
    job.mode = TransferMode::Sync;
    flags.showUsage = true;
    read({});
    EXPECT_EQ(job.mode, TransferMode::Update);
    EXPECT_FALSE(flags.showUsage);
    EXPECT_FALSE(flags.noSettingsFile);

    read({"-?"});
    EXPECT_TRUE(flags.showUsage);
    EXPECT_FALSE(flags.noSettingsFile);

    flags = StartupFlags();
    read({"-I"});
    EXPECT_TRUE(flags.noSettingsFile);
    EXPECT_FALSE(flags.showUsage);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandLineTest, SlashStartsAPathNotAnOption) {
    read({"-@", "/s"});
    EXPECT_EQ(job.mode, TransferMode::Response);
    EXPECT_EQ(job.sourcePatterns, "/s");

    job = JobSettings();
    read({"/s", "/R"});
    EXPECT_EQ(job.mode, TransferMode::Update);
    EXPECT_EQ(flagsOf(job), Flags{});
    job = JobSettings();
    read({"/?"});
    EXPECT_FALSE(flags.showUsage);
}

TEST_F(CommandLineTest, ExclusionPatternsAccumulateInLowerCase) {
    const std::string longPattern(3000, 'P');
    const struct {
        Arguments arguments;
        std::string expected;
    } cases[] = {
        {{"-w*.c"}, "*.c"},
        {{"-wA", "-wB"}, "a;b"},
        {{"-W*.TMP;*.BAK"}, "*.tmp;*.bak"},
        {{"-w*.o;", "-w*.a"}, "*.o;*.a"},
        {{"-w", "-wa"}, "a"},
        {{"-wa", "-w", "-wb"}, "a;b"},
        // Only ASCII letters fold; other bytes, valid UTF-8 or not, stay.
        {{"-w日本.TXT"}, "日本.txt"},
        {{"-w\xff\x82\xA0Z"}, "\xff\x82\xa0z"},
        {{"-w" + longPattern, "-w" + longPattern},
         std::string(3000, 'p') + ";" + std::string(3000, 'p')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        job = JobSettings();
        read(c.arguments);
        EXPECT_EQ(job.exclusionPatterns, c.expected);
    }
    EXPECT_TRUE(messages.shown.empty());
}

struct ValidationCase {
    Arguments arguments;
    const char* message; // nullptr: none
    Flags flags;
};

TEST_F(CommandLineTest, ValidationDropsGroupsThatDoNotFitTheMode) {
    const ValidationCase cases[] = {
        {{"-rm"}, kUpdateRm, {}},
        {{"-rm", "-e"}, nullptr, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {{"-s", "-rm"}, kSearchRecursion, {}},
        {{"-s", "-e"}, kSearchRecursion, {}},
        {{"-e0", "-s"}, kSearchRecursion, {}},
        {{"-s", "-r"}, nullptr, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{"-sd", "-e"}, kDeleteRecursion, {}},
        {{"-sd", "-e0"}, kDeleteRecursion, {}},
        {{"-sd", "-rm"}, nullptr, {1, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {{"-m", "-rm"}, nullptr, {1, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {{"-@", "-e0"}, nullptr, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {{"-=", "-rm"}, nullptr, {1, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {{"-s", "-u"}, kDateOptions, {}},
        {{"-x", "-sd"}, kDateOptions, {}},
        {{"-sd", "-u0"}, kDateOptions, {}},
        {{"-u0"}, nullptr, {0, 0, 0, 0, 0, 1, 0, 1, 0, 0}},
        {{"-m", "-x"}, nullptr, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0}},
        // The recursion group survives when only the date group is dropped.
        {{"-s", "-r", "-x"}, kDateOptions, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const ValidationCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        job = JobSettings();
        messages.shown.clear();
        read(c.arguments);
        EXPECT_EQ(flagsOf(job), c.flags);
        if (!c.message) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].caption, kProgramTitle);
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    }
}

TEST_F(CommandLineTest, BothGroupsRejectedGiveTwoMessagesRecursionFirst) {
    read({"-u", "-e", "-s"});
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{kSearchRecursion, kDateOptions}));
    EXPECT_EQ(flagsOf(job), Flags{});
    EXPECT_EQ(job.mode, TransferMode::Search);
}

TEST_F(CommandLineTest, ResponseModeTakesOneResponseFileUnchanged) {
    // Japanese, invalid UTF-8 and CP932 bytes are file names like any other; nothing is cut.
    const std::string name = "応答/\xff\xfe\x82\xa0" + std::string(400, 'x') + ".RSP";
    read({"-@", name, "second.rsp", "third.rsp"});
    EXPECT_EQ(job.mode, TransferMode::Response);
    EXPECT_EQ(job.sourcePatterns, name);
    EXPECT_EQ(job.sourceDirectory, "");
    EXPECT_EQ(job.destinationDirectory + job.destinationPattern, "");
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{kSecondResponse, kSecondResponse}));
}

TEST_F(CommandLineTest, PathsThatCannotBeMeantRefuseTheCommandLine) {
    // Dropped or skipped, each would move the next path into its place or leave a default of
    // the current directory: "-sd -r $DIR" with DIR unset would empty it.
    const std::string longest(kMaxArgumentBytes - 1, 'a');
    const std::string tooLong(kMaxArgumentBytes, 'b');
    const std::string third =
        "パスは転送元と転送先の２つまでです: c.jpg\n"
        "ワイルドカードを含むパスは引用符で囲んでください (例: \"src/*.c\")。";
    const std::string empty = "空のパスは指定できません。";
    const struct {
        Arguments arguments;
        std::string message;
    } cases[] = {
        {{"-sd", "-r", ""}, empty},
        {{"", "dst/"}, empty},
        {{"src/", "", "-m"}, empty},
        {{"--", ""}, empty},
        {{"-@", ""}, empty},
        {{"-sd", tooLong}, kTooLong},
        {{"-@", tooLong, longest}, kTooLong},
        {{"a.jpg", "b.jpg", "c.jpg", "backup/"}, third},
        {{"-m", "a.jpg", "b.jpg", "--", "c.jpg"}, third},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        job = JobSettings();
        messages.shown.clear();
        EXPECT_FALSE(readCommandLine(c.arguments, job, flags, fileSystem, messages));
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.message});
    }

    // The longest path is taken; options have no limit.
    job = JobSettings();
    messages.shown.clear();
    read({"-@", longest, "-w" + tooLong});
    EXPECT_EQ(job.sourcePatterns, longest);
    EXPECT_EQ(job.exclusionPatterns.size(), kMaxArgumentBytes);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(UsageTextTest, HasThirtyOneLinesNamingTheProgram) {
    const std::string& text = usageText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "Usage:ryk [option] <source> [dest]");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[5], "              (ディレクトリの場合必ず最後に/をつける)");
    EXPECT_EQ(lines[7], "              Ex. /mnt/a/*.c;*.h");
    EXPECT_EQ(lines[10], "    -s   検索モード");
    EXPECT_EQ(lines[28], "    -i   初期化ファイルRyk.INIにアクセスしない");
    EXPECT_EQ(lines[29], "");
    EXPECT_EQ(lines[30], "    Rykmere を開きますか？");
    EXPECT_STREQ(kUsageCaption, "Command line の説明");

    // A terminal prints the text up to the "-i" line, no question, then ryk-cli's own options.
    const std::string& terminal = terminalUsageText();
    const size_t shared = text.find(lines[28]) + lines[28].size() + 1;
    EXPECT_EQ(terminal.substr(0, shared), text.substr(0, shared));
    EXPECT_EQ(terminal.find(lines[30]), std::string::npos);
    for (const char* own : {"--run", "--create-destination", "--explorer", "--skip-unchanged",
                            "--trash", "--verify", "--hard-links", "--json"})
        EXPECT_NE(terminal.find(std::string("\n    ") + own + " "), std::string::npos) << own;
}

// Path arguments go through the path splitting of the pattern helpers on the real file system.
class CommandLinePathTest : public CommandLineTest {};

TEST_F(CommandLinePathTest, SourceThenDestination) {
    const std::string source = tmp.makeDir("src");
    const std::string destination = tmp.makeDir("dst");
    read({"-r", source + "/*.c;*.h", destination});
    EXPECT_EQ(job.sourceDirectory, source + "/");
    EXPECT_EQ(job.sourcePatterns, "*.c;*.h");
    EXPECT_EQ(job.destinationDirectory, destination);
    EXPECT_EQ(job.destinationPattern, "");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandLinePathTest, ArgumentsAreSplitAsPaths) {
    tmp.makeDir("data");
    tmp.makeDir("日本語");
    tmp.makeDir("\xff\xfe");
    const struct {
        std::string argument;
        std::string directory;
        std::string pattern;
    } cases[] = {
        {tmp / "data", tmp / "data", ""},
        {tmp / "data/*.txt", tmp / "data/", "*.txt"},
        {tmp / "日本語", tmp / "日本語", ""},
        {tmp / "\xff\xfe", tmp / "\xff\xfe", ""},
        {tmp / "\x82\xa0/*.TXT", tmp / "\x82\xa0/", "*.TXT"},
        {"/s", "/", "s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        job = JobSettings();
        read({c.argument});
        EXPECT_EQ(job.sourceDirectory, c.directory);
        EXPECT_EQ(job.sourcePatterns, c.pattern);
        job = JobSettings();
        read({"-m", "ryk-source.c", c.argument});
        EXPECT_EQ(job.destinationDirectory, c.directory);
        EXPECT_EQ(job.destinationPattern, c.pattern);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CommandLinePathTest, PathBeforeResponseOptionIsTheSource) {
    const std::string source = tmp.makeDir("src");
    read({source + "/*.c", "-@", "list.rsp"});
    EXPECT_EQ(job.mode, TransferMode::Response);
    EXPECT_EQ(job.sourceDirectory, source + "/");
    EXPECT_EQ(job.sourcePatterns, "*.c");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kSecondResponse});

    // A directory leaves the pattern empty, so the response file still finds its place.
    job = JobSettings();
    messages.shown.clear();
    read({source, "-@", "list.rsp"});
    EXPECT_EQ(job.sourceDirectory, source);
    EXPECT_EQ(job.sourcePatterns, "list.rsp");
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace ryk
