#include "app/CommandLine.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ryk {
namespace {

using test::TempDir;

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs ryk-cli with `arguments`, stdin empty, stdout and stderr caught in files of `temp`.
CliResult runCli(const TempDir& temp, const std::vector<std::string>& arguments) {
    CliResult result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string outPath = temp / "cli.out";
    const std::string errPath = temp / "cli.err";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = RYK_CLI_PATH;
    std::vector<std::string> storage = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = temp.readFile("cli.out");
    result.err = temp.readFile("cli.err");
    return result;
}

TEST(CliTest, UsageGoesToStderrAndEndsTheProgram) {
    TempDir temp;
    const CliResult result = runCli(temp, {"-r", "-?"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, usageText());
    EXPECT_EQ(result.out, "");
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

TEST(CliTest, RunsThePlanAndExitsNonZeroOnlyWhenALineFailed) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    temp.writeFile("src/a.txt", "a");
    CliResult result = runCli(temp, {"--run", src, dst});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("[done] Copy \"" + src + "a.txt\" \"" + dst + "a.txt\"\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("完了しました.(Error=0)\n"), std::string::npos);
    EXPECT_EQ(temp.readFile("dst/a.txt"), "a");

    // A line that fails: the delete of a read-only file.
    const std::string locked = temp.writeFile("ro/x", "x");
    chmod(locked.c_str(), 0444);
    result = runCli(temp, {"--run", "-sd", temp / "ro/"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("[failed] Delete \"" + locked + "\"  (Permission denied)\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("完了しました.(Error=1)\n"), std::string::npos);
}

TEST(CliTest, ArgumentBytesReachTheJobUnchanged) {
    TempDir temp;
    const std::string name = temp / "\xff\xfe応答.RSP";
    const std::string found = temp.writeFile("\xff\xfe.txt", "");
    temp.writeFile(name.substr(temp.path().size() + 1), "Find " + temp.path() + "/*.txt\n");
    const CliResult result = runCli(temp, {"-@", "", name});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), "Find \"" + found + "\" \n");
}

} // namespace
} // namespace ryk
