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

extern char** environ;

namespace ryk {
namespace {

using test::TempDir;

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs ryk-cli with `arguments`, stdin empty, stdout and stderr caught in files of `temp`; in
/// `workingDirectory` when one is given; stderr on the terminal device `errTerminal` instead
/// when one is given; stdout to the file `outFile` instead when one is given.
CliResult runCli(const TempDir& temp, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory = {}, const std::string& errTerminal = {},
                 const std::string& outFile = {}) {
    CliResult result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string outPath = outFile.empty() ? temp / "cli.out" : outFile;
    const std::string errPath = temp / "cli.err";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errTerminal.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errTerminal.c_str(),
                                         O_RDWR | O_NOCTTY, 0);
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
    if (outFile.empty())
        result.out = temp.readFile("cli.out");
    if (errTerminal.empty())
        result.err = temp.readFile("cli.err");
    return result;
}

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

TEST(CliTest, ArgumentBytesReachTheJobUnchanged) {
    TempDir temp;
    const std::string name = temp / "\xff\xfe応答.RSP";
    const std::string found = temp.writeFile("\xff\xfe.txt", "");
    temp.writeFile(name.substr(temp.path().size() + 1), "Find " + temp.path() + "/*.txt\n");
    const CliResult result = runCli(temp, {"-@", name});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), "Find \"" + found + "\" \n");
}

/// The lines of a text, without their line feeds.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
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

/// Every path below `root` with its size (links not followed), in name order.
std::string treeOf(const std::string& root) {
    std::vector<std::string> lines;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        struct stat st {};
        lstat(item.path().c_str(), &st);
        lines.push_back(item.path().string() + " " + std::to_string(st.st_size));
    }
    std::sort(lines.begin(), lines.end());
    std::string tree;
    for (const std::string& line : lines)
        tree += line + "\n";
    return tree;
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

/// A chain of directories below `top` whose paths grow beyond what the kernel takes
/// (ENAMETOOLONG), so the scan cannot list its deepest levels, whoever runs the test. Made and
/// removed level by level through descriptors; the paths themselves are unusable.
class TooDeepChain {
public:
    explicit TooDeepChain(const std::string& top) : m_top(top) {
        int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (size_t length = top.size(); fd >= 0 && length <= 4400; length += kName.size() + 1) {
            if (mkdirat(fd, kName.c_str(), 0755) != 0)
                break;
            ++m_levels;
            const int next = openat(fd, kName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = next;
        }
        if (fd >= 0)
            close(fd);
    }
    ~TooDeepChain() {
        // From the bottom up: open the parent of the deepest level, remove it, and again.
        for (; m_levels > 0; --m_levels) {
            int fd = open(m_top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            for (int i = 1; fd >= 0 && i < m_levels; ++i) {
                const int next = openat(fd, kName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                close(fd);
                fd = next;
            }
            if (fd < 0)
                return;
            unlinkat(fd, kName.c_str(), AT_REMOVEDIR);
            close(fd);
        }
    }
    TooDeepChain(const TooDeepChain&) = delete;
    TooDeepChain& operator=(const TooDeepChain&) = delete;
    int levels() const { return m_levels; }

private:
    inline static const std::string kName = std::string(200, 'd');
    std::string m_top;
    int m_levels = 0;
};

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
