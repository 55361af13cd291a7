// Runs ryk-cli as a user's shell would, and reads what it printed and left behind.
#pragma once

#include "support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ryk::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs ryk-cli with `arguments`, stdin empty, stdout and stderr caught in files of `temp`; in
/// `workingDirectory` when one is given; stderr on the terminal device `errTerminal` instead
/// when one is given; stdout to the file `outFile` instead when one is given.
inline CliResult runCli(const TempDir& temp, const std::vector<std::string>& arguments,
                        const std::string& workingDirectory = {},
                        const std::string& errTerminal = {}, const std::string& outFile = {}) {
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

/// The lines of a text, without their line feeds.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

/// Every path below `root` with its size (links not followed), in name order.
inline std::string treeOf(const std::string& root) {
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

} // namespace ryk::test
