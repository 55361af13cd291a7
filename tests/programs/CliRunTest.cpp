#include "support/CliRun.h"

#include "Version.h"
#include "app/CommandLine.h"
#include "platform/FileSystem.h"
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

TEST(CliTest, RunsThePlanAndExitsNonZeroOnlyWhenALineFailed) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    temp.writeFile("src/a.txt", "a");
    CliResult result = runCli(temp, {"--run", src, dst});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, ""); // no progress line where stderr is no terminal
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

TEST(CliTest, RunShowsAProgressLineOnATerminalAndErasesItBeforeTheClosingLine) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    temp.writeFile("src/a.txt", "a");
    temp.writeFile("src/b.txt", "bc");
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);

    const CliResult result = runCli(temp, {"--run", src, dst}, {}, ptsname(terminal));
    // Once the program has ended, the terminal gives what it wrote, then an error.
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<size_t>(got));
    close(terminal);

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(temp.readFile("dst/b.txt"), "bc");
    // However fast the run, the line shows once: when the first entry starts.
    EXPECT_EQ(shown.rfind("\r\x1b[K0/2 件  0 B/3 B  0%  ", 0), 0u) << shown;
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\x1b[K") << shown;
    EXPECT_EQ(shown.find('\n'), std::string::npos) << shown;
    EXPECT_NE(result.out.find("[done] Copy \"" + src + "b.txt\""), std::string::npos);
    EXPECT_TRUE(result.out.ends_with("完了しました.(Error=0)\n")) << result.out;
}

TEST(CliTest, CtrlCStopsTheRunAndTellsHowManyLinesAreLeft) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    constexpr int kFiles = 600;
    const std::string padding(120, 'p');
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i) {
        // Appended step by step: "f" + a temporary string sets off GCC 12's false -Wrestrict
        // at -O3.
        std::string name = "f";
        name += std::to_string(10000 + i);
        name += padding;
        files.push_back(name);
        temp.writeFile("src/" + files.back(), "x");
    }

    // No timing is assumed: the test stops reading stdout once the run has begun, so the run
    // blocks on the full pipe long before its last line (600 lines of 300 bytes against a
    // pipe of one page, 64 KiB if it cannot be made smaller, and a stdout buffer of a page),
    // and Ctrl+C always finds it unfinished.
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    fcntl(out[0], F_SETPIPE_SZ, 4096);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string errPath = temp / "cli.err";
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = RYK_CLI_PATH;
    std::string runOption = "--run";
    std::string source = src;
    std::string destination = dst;
    char* argv[] = {program.data(), runOption.data(), source.data(), destination.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ASSERT_EQ(spawned, 0);

    std::string output;
    auto readSome = [&] {
        char buffer[4096];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<size_t>(got));
        return got > 0;
    };
    // Read on until the run has carried out lines of its own, so Ctrl+C meets it halfway.
    bool running = false;
    while (!running && readSome())
        running = output.find("\n[done] ") != std::string::npos;
    // No ASSERT before the child is reaped: it must not outlive its temporary directory.
    EXPECT_TRUE(running) << output.size() << " bytes without a line carried out";
    EXPECT_EQ(kill(pid, SIGINT), 0);
    while (readSome()) {
    }
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);

    int copied = 0;
    for (const std::string& file : files)
        copied += access((dst + file).c_str(), F_OK) == 0 ? 1 : 0;
    EXPECT_GT(copied, 0);
    EXPECT_LT(copied, kFiles);
    const std::vector<std::string> lines = linesOf(output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "中断しました.(Error=0, 未実行=" + std::to_string(kFiles - copied) + ")");
    EXPECT_EQ(output.find("完了しました"), std::string::npos);
}

TEST(CliTest, OutputThatCannotBeWrittenIsAProblemAndNothingRunsUnshown) {
    TempDir temp;
    const std::string src = temp.makeDir("src") + "/";
    const std::string dst = temp.makeDir("dst") + "/";
    temp.writeFile("src/a.txt", "a");
    const std::string told = "標準出力に書き込めません: " + errorText(ENOSPC) + "\n";
    const std::vector<std::string> commandLines[] = {
        {"--version"}, {"--help"}, {"-?"}, {src, dst}, {"--run", src, dst}};
    for (const auto& arguments : commandLines) {
        SCOPED_TRACE(arguments.front());
        const CliResult result = runCli(temp, arguments, {}, {}, "/dev/full");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, told);
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "dst/a.txt"));
}

TEST(CliTest, CtrlCWhilePlanningSaysSoAndPrintsNoPlan) {
    TempDir temp;
    temp.writeFile("deep/top.txt", "t");
    const TooDeepChain chain(temp / "deep");
    ASSERT_GT(chain.levels(), 20);
    // The message about the level the scan cannot list is longer than the pipe it goes to, so
    // the program waits in the middle of its plan until the test reads: Ctrl+C always meets it
    // there, however fast the machine.
    int err[2];
    ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
    ASSERT_EQ(fcntl(err[0], F_SETPIPE_SZ, 4096), 4096);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string outPath = temp / "cli.out";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::string program = RYK_CLI_PATH;
    std::string search = "-s";
    std::string recurse = "-r";
    std::string source = temp / "deep/";
    char* argv[] = {program.data(), search.data(), recurse.data(), source.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    ASSERT_EQ(spawned, 0);

    pollfd waiting{err[0], POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, -1), 1);
    EXPECT_EQ(kill(pid, SIGINT), 0);
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<size_t>(got));
    close(err[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_GT(shown.size(), 4096u);
    EXPECT_TRUE(shown.ends_with("\n中断しました\n")) << shown.substr(shown.size() - 40);
    EXPECT_EQ(temp.readFile("cli.out"), "");
}

} // namespace
} // namespace ryk
