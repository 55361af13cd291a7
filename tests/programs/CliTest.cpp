#include "Version.h"
#include "app/CommandLine.h"
#include "platform/FileSystem.h"
#include "support/CliRun.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::CliResult;
using test::linesOf;
using test::runCli;
using test::TempDir;
using test::TooDeepChain;
using test::treeOf;

TEST(CliTest, HelpVersionAndUnknownOptionsAnswerWithoutPlanning) {
    // Run in a directory with a file, so a plan of the current directory would show in stdout.
    TempDir temp;
    const std::string work = temp.makeDir("work");
    temp.writeFile("work/a.txt", "a");
    const std::string hint = "詳しくは ryk-cli --help を見てください。\n";
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        {{"--help"}, 0, terminalUsageText(), ""},
        {{"-s", "--help", "--run", "."}, 0, terminalUsageText(), ""},
        {{"-r", "-?"}, 0, terminalUsageText(), ""},
        // A refused combination is still told before the usage.
        {{"-s", "-u", "-?"},
         0,
         terminalUsageText(),
         "検索/削除モードでは -x -u -u0 オプションは無効です。\n"},
        {{"--version"}, 0, RYK_VERSION_TEXT "\n", ""},
        {{"--bogus"}, 2, "", "不明なオプションです: --bogus\n" + hint},
        {{"--run", "--bogus", "."}, 2, "", "不明なオプションです: --bogus\n" + hint},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " ... (" + std::to_string(c.arguments.size()) + ")");
        const CliResult result = runCli(temp, c.arguments, work);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_EQ(std::string(RYK_VERSION_TEXT).rfind("Rykmere Ver 1.73 build ", 0), 0u);
}

TEST(CliTest, RejectedOptionsAreReportedAndTheJobIsPlanned) {
    TempDir temp;
    const std::string directory = temp.makeDir("src");
    temp.writeFile("src/a.txt", "12");
    const CliResult result = runCli(temp, {"-s", "-u", directory});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "検索/削除モードでは -x -u -u0 オプションは無効です。\n");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1),
              "Find \"" + directory + "/a.txt\" \n");
    EXPECT_NE(result.out.find("\ncmd=1 (all=2 bytes.)src="), std::string::npos) << result.out;
}

TEST(CliTest, ArgumentBytesReachTheJobUnchanged) {
    TempDir temp;
    const std::string name = temp / "\xff\xfe応答.RSP";
    const std::string found = temp.writeFile("\xff\xfe.txt", "");
    temp.writeFile(name.substr(temp.path().size() + 1), "Find " + temp.path() + "/*.txt\n");
    const CliResult result = runCli(temp, {"-@", name});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), "Find \"" + found + "\" \n");
}

TEST(CliTest, UnknownOptionEndsTheProgramBeforeAnythingIsPlanned) {
    // Dropped, "-data" would have made "dest" the source and "." the destination of the sync,
    // which empties the working directory.
    TempDir temp;
    const std::string work = temp.makeDir("work");
    temp.writeFile("work/keep.txt", "k");
    temp.writeFile("work/-data/f.txt", "f");
    temp.makeDir("work/dest");
    for (const std::string unknown : {"-data", "--rnu", "-q"}) {
        SCOPED_TRACE(unknown);
        const CliResult result = runCli(temp, {"--run", "-=", unknown, "dest"}, work);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, "不明なオプションです: " + unknown +
                                  "\n詳しくは ryk-cli --help を見てください。\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(temp.readFile("work/keep.txt"), "k");
        EXPECT_EQ(temp.readFile("work/-data/f.txt"), "f");
    }

    // After "--" the same argument is the source, and so is a long option of our own.
    CliResult result = runCli(temp, {"--run", "-=", "--", "-data", "dest"}, work);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1),
              "Copy \"-data/f.txt\" \"dest/f.txt\"\n");
    EXPECT_EQ(temp.readFile("work/dest/f.txt"), "f");
    EXPECT_EQ(temp.readFile("work/keep.txt"), "k");

    temp.writeFile("work/--run/r.txt", "r");
    result = runCli(temp, {"-s", "--", "--run"}, work);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), "Find \"--run/r.txt\" \n");
    EXPECT_EQ(result.out.find("[pending]"), std::string::npos) << "ran: " << result.out;
}

TEST(CliTest, CommandLinesThatCannotBeMeantAreRefusedAndChangeNothing) {
    TempDir temp;
    const std::string work = temp.makeDir("work");
    temp.writeFile("work/.bashrc", "rc");
    temp.writeFile("work/backup/keep.txt", "k");
    temp.makeDir("work/-sdcard");
    temp.makeDir("work/-music");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        temp.writeFile(std::string("work/photos/") + name, name);
    ASSERT_EQ(symlink("/", (work + "/rootlink").c_str()), 0);
    const std::string before = treeOf(work);

    const std::string help = "詳しくは ryk-cli --help を見てください。\n";
    const std::string quote =
        "ワイルドカードを含むパスは引用符で囲んでください (例: \"src/*.c\")。\n";
    const std::string deleteRoot = "ファイルシステムのルート (/) は削除できません: ";
    const std::string missing = "転送先のディレクトリがありません: ";
    // The root cases run without --run: should a check fail, only a plan is printed.
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"--run", "-r", "-sdcard/", "backup/"}, "不明なオプションです: -sdcard/\n" + help},
        {{"--run", "-r", "-music/", "backup/"}, "不明なオプションです: -music/\n" + help},
        {{"--run", "-r", "photos/a.jpg", "photos/b.jpg", "photos/c.jpg", "backup/"},
         "パスは転送元と転送先の２つまでです: photos/c.jpg\n" + quote + help},
        {{"--run", "-sd", "-r", ""}, "空のパスは指定できません。\n" + help},
        {{"-sd", "-r", "/"}, deleteRoot + "/\n"},
        {{"-sd", "//"}, deleteRoot + "//\n"},
        {{"-sd", "-r", "/./*.*"}, deleteRoot + "/./\n"},
        {{"-sd", "rootlink"}, deleteRoot + "rootlink\n"},
        {{"-m", "-r", "/..", "backup/"},
         "ファイルシステムのルート (/) からは移動できません: /..\n"},
        {{"-=", "photos/", "rootlink/"},
         "ファイルシステムのルート (/) には同期できません: rootlink/\n"},
        {{"--run", "-=", "-r", "photos/", "backup/photos"}, missing + "backup/photos\n"},
        {{"--run", "-=", "photos/", "photos-backup"}, missing + "photos-backup\n"},
        {{"--run", "-=", "photos/", "backup/*.bak"},
         "同期モードの転送先にワイルドカードは使えません: backup/*.bak\n"},
        {{"--run", "-=", "*.jpg", "backup/"},
         "同期モードでは転送元のディレクトリを指定してください。\n"},
        {{"--run", "-=", "photos/"}, "同期モードでは転送先を指定してください。\n"},
        {{"--run", "-r", "nowhere/", "backup/"},
         "エラーが発生:Code=2\nnowhere/\n" + errorText(ENOENT) + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const CliResult result = runCli(temp, c.arguments, work);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(treeOf(work), before);

    // Asked to make it, the sync's destination is the directory named, beside what is there.
    const CliResult made =
        runCli(temp, {"--run", "--create-destination", "-=", "photos/", "backup/photos"}, work);
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(temp.readFile("work/backup/photos/c.jpg"), "c.jpg");
    EXPECT_EQ(temp.readFile("work/backup/keep.txt"), "k");
}

TEST(CliTest, SkipUnchangedLeavesOutOnlyTheSyncsFilesAlreadyThere) {
    TempDir temp;
    temp.writeFile("work/src/same.txt", "s");
    temp.makeDir("work/dst");
    const std::string work = temp / "work";
    // A copy with the source's times, as an earlier sync leaves it; then a file is added.
    ASSERT_EQ(runCli(temp, {"--run", "-=", "src/", "dst/"}, work).exitCode, 0);
    temp.writeFile("work/src/new.txt", "n");
    const std::string same = "Update \"src/same.txt\" \"dst/same.txt\"";
    const std::string added = "Copy \"src/new.txt\" \"dst/new.txt\"";
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> lines; // and the summary
    } cases[] = {
        {{"--skip-unchanged", "-=", "src/", "dst/"}, {added}},
        {{"-=", "src/", "dst/"}, {added, same}},
        // Other modes take it and plan as they always do.
        {{"-x", "--skip-unchanged", "src/", "dst/"}, {added, same}},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(temp, c.arguments, work);
        std::vector<std::string> lines = linesOf(result.out);
        EXPECT_EQ(lines.size(), c.lines.size() + 1) << result.err;
        lines.resize(c.lines.size());
        EXPECT_EQ(lines, c.lines) << ::testing::PrintToString(c.arguments);
    }
}

TEST(CliTest, TrashAndVerifyReachTheRun) {
    TempDir temp;
    const test::ScopedEnv data("XDG_DATA_HOME", temp / "data");
    temp.writeFile("work/src/a.txt", "new");
    temp.writeFile("work/dst/a.txt", "old");
    temp.writeFile("work/dst/gone.txt", "g");
    const CliResult result =
        runCli(temp, {"--run", "--trash", "--verify", "-=", "src/", "dst/"}, temp / "work");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(temp.names("work/dst"), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(temp.readFile("work/dst/a.txt"), "new");
    EXPECT_EQ(temp.readFile("data/Trash/files/a.txt"), "old");
    EXPECT_EQ(temp.readFile("data/Trash/files/gone.txt"), "g");
}

TEST(CliTest, PlanProblemsMakeTheExitStatusOne) {
    TempDir temp;
    temp.writeFile("src/a.txt", "a");
    temp.makeDir("dst");
    const std::string t = temp.path() + "/";
    const std::string missingError =
        "Error \"" + t + "nowhere/\"  (" + errorText(ENOENT) + ")\n"; // no target: two spaces
    temp.writeFile("mixed.rsp", "Copy " + t + "nowhere/*.txt " + t + "dst/\n" + // no source
                                    "Find " + t + "src/*.txt\n" + "Copy " + t + "src/*.txt \"" + t +
                                    "dst/\n"); // open quote
    temp.makeDir("deep");
    temp.writeFile("deep/top.txt", "t");
    const TooDeepChain chain(temp / "deep");
    ASSERT_GT(chain.levels(), 20);

    const struct {
        const char* what;
        std::vector<std::string> arguments;
        std::string err; // exact, or (when errPart) a part of it
        bool errPart;
        std::string out; // a part of stdout
    } cases[] = {
        {"response file that cannot be opened",
         {"-@", t + "missing.rsp"},
         "レスポンスファイルを開けません\n",
         false,
         "cmd=0 (all=0 byte.)"},
        {"Error lines, each on stderr with its reason",
         {"-@", t + "mixed.rsp"},
         missingError + "Error \"Copy " + t + "src/*.txt \\\"" + t + "dst/\"  (" +
             errorText(EINVAL) + ")\n",
         false,
         "Find \"" + t + "src/a.txt\" \n"},
        {"Error lines when the rest of the plan runs cleanly",
         {"--run", "-@", t + "mixed.rsp"},
         missingError,
         true,
         "完了しました.(Error=2)\n"},
        {"subtree that cannot be listed",
         {"-s", "-r", t + "deep/"},
         "エラーが発生:Code=" + std::to_string(ENAMETOOLONG) + "\n",
         true,
         "Find \"" + t + "deep/top.txt\" \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliResult result = runCli(temp, c.arguments);
        EXPECT_EQ(result.exitCode, 1);
        if (c.errPart)
            EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
        else
            EXPECT_EQ(result.err, c.err);
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    }

    // The same kinds of plan without their problems.
    const CliResult clean = runCli(temp, {"-s", "-r", t + "src/"});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.err, "");
}

TEST(CliTest, ControlBytesInNamesAreEscapedOnEveryLine) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    const struct {
        std::string name;
        std::string shown;
    } names[] = {
        {"a\nb", "a\\nb"},
        {"tab\there\r", "tab\\there\\r"},
        {"back\\slash", "back\\\\slash"},
        {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
        // Not UTF-8 and no control byte: passed through as it is.
        {"\xff\xfe", "\xff\xfe"},
    };
    for (const auto& n : names)
        temp.writeFile("src/" + n.name, n.name);

    const CliResult result = runCli(temp, {"--run", src, dst});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> planned, done;
    for (const auto& n : names) {
        const std::string line =
            "Copy \"" + src + n.shown + "\" \"" + dst + n.shown + "\""; // the list's order below
        planned.push_back(line);
        done.push_back("[done] " + line);
        EXPECT_EQ(temp.readFile("dst/" + n.name), n.name) << n.shown;
    }
    const std::vector<std::string> lines = linesOf(result.out);
    // Each operation is one line: the plan, the summary, the outcomes, the closing line.
    ASSERT_EQ(lines.size(), 2 * std::size(names) + 2) << result.out;
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted({lines.begin(), lines.begin() + std::size(names)}), sorted(planned));
    EXPECT_EQ(sorted({lines.begin() + std::size(names) + 1, lines.end() - 1}), sorted(done));

    // The Error line of a response file, on stdout and on stderr alike.
    temp.writeFile("job.rsp", "Copy \"" + temp.path() + "/no\twhere/*.*\" " + dst + "\n");
    const CliResult error = runCli(temp, {"-@", temp / "job.rsp"});
    EXPECT_EQ(error.exitCode, 1);
    const std::string errorLine = "Error \"" + temp.path() + "/no\\twhere/\" ";
    EXPECT_EQ(linesOf(error.out).front(), errorLine);
    EXPECT_EQ(error.err, errorLine + " (" + errorText(ENOENT) + ")\n");
}

} // namespace
} // namespace ryk
