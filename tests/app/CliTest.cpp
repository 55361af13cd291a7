#include "app/CommandLine.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
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

TEST(CliTest, RejectedOptionsAreReportedAndTheJobIsPrinted) {
    TempDir temp;
    const std::string directory = temp.makeDir("src");
    const CliResult result = runCli(temp, {"-s", "-u", directory});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "検索/削除モードでは -x -u -u0 オプションは無効です。\n");
    const std::vector<std::string> lines = {
        "mode: 2 検索モード\n", "dateConditions: 0\n", "onlyExisting: 0\n",
        "sourceDirectory: " + directory + "\n", "sourcePatterns: \n"};
    for (const std::string& line : lines)
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "in:\n" << result.out;
}

TEST(CliTest, ArgumentBytesReachTheJobUnchanged) {
    TempDir temp;
    const std::string name = "\xff\xfe応答.RSP";
    const CliResult result = runCli(temp, {"-@", "", name});
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("mode: 4 応答モード\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("sourcePatterns: " + name + "\n"), std::string::npos) << result.out;
}

} // namespace
} // namespace ryk
