#include "platform/Process.h"

#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ryk {

namespace {

/// The file exec would run for `program`: itself when it names a path, else the first
/// executable file of that name in $PATH. 0 or ENOENT/EACCES as exec would answer.
int resolveProgram(const std::string& program, std::string& resolved) {
    if (program.empty())
        return ENOENT;
    if (program.find('/') != std::string::npos) {
        resolved = program;
        return 0;
    }
    const char* variable = std::getenv("PATH");
    const std::string path = variable && *variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    int error = ENOENT;
    for (size_t start = 0;;) {
        const size_t end = path.find(':', start);
        std::string candidate = path.substr(start, end - start);
        if (candidate.empty())
            candidate.push_back('.');
        candidate += '/';
        candidate.append(program);
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (access(candidate.c_str(), X_OK) == 0) {
                resolved = candidate;
                return 0;
            }
            error = EACCES;
        }
        if (end == std::string::npos)
            return error;
        start = end + 1;
    }
}

} // namespace

int startDetachedProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::string resolved;
    if (const int error = resolveProgram(program, resolved))
        return error;
    // Everything the children need is made before fork: after it, in a process with threads,
    // only calls that take no lock are safe.
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The exec's error comes back through a pipe that a successful exec closes.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return errno;
    UniqueFd reportRead(ends[0]);
    UniqueFd reportWrite(ends[1]);
    const pid_t child = fork();
    if (child < 0)
        return errno;
    if (child == 0) {
        // The grandchild runs the program: its parent ends at once, so it is nobody's zombie
        // and lives on in a session of its own.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execve(resolved.c_str(), argv.data(), environ);
            const int error = errno;
            (void)!write(reportWrite.get(), &error, sizeof error);
            _exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            (void)!write(reportWrite.get(), &error, sizeof error);
        }
        _exit(0);
    }
    reportWrite.reset();
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(reportRead.get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace ryk
