// SplitPathArgument on arbitrary arguments against a small real tree of directories, files, a
// link and names with spaces or bytes that are not UTF-8. An input is taken relative to the tree
// (reached by a relative path, so relative arguments are what is tried), or, when it starts with
// '@', the rest is the argument as it is. The parts must rebuild the argument, and the whole
// argument is taken as a directory exactly when it is one.

#include "engine/Patterns.h"
#include "platform/posix/PosixFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string treeRoot;
/// The tree's path relative to the current directory, with a trailing '/'. The fuzzer does not
/// change directory: libFuzzer resolves corpus paths after start-up.
std::string treePrefix;
ryk::PosixFileSystem* fileSystem = nullptr;

void check(bool condition) {
    if (!condition)
        std::abort();
}

void removeTree() {
    std::error_code ignored;
    std::filesystem::remove_all(treeRoot, ignored);
}

void makeTree() {
    char pattern[] = "/tmp/ryk-fuzz-split-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::abort();
    }
    treeRoot = pattern;
    std::atexit(removeTree);
    fileSystem = new ryk::PosixFileSystem;
    int failures = 0;
    for (const char* dir : {"data", "data/sub", "data/.hidden", "my dir", "caf\xE9", "a.b"})
        failures += fileSystem->makeDirectory(treeRoot + "/" + dir) != 0;
    for (const char* file : {"data/a.txt", "data/B.TXT", "data/sub/x", "my dir/a b.txt", "plain"})
        failures += fileSystem->writeFileAtomically(treeRoot + "/" + file, "x") != 0;
    failures += symlink("data", (treeRoot + "/link").c_str()) != 0;
    treePrefix = std::filesystem::path(treeRoot)
                     .lexically_proximate(std::filesystem::current_path())
                     .string() +
                 "/";
    if (failures != 0) {
        std::fprintf(stderr, "cannot make the tree under %s\n", treeRoot.c_str());
        std::abort();
    }
}

bool isRealDirectory(const std::string& path) {
    struct stat facts {};
    return stat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool raw = input.starts_with('@');
    const std::string argument =
        raw ? std::string(input.substr(1)) : treePrefix + std::string(input);
    std::string directory = "stale";
    std::string pattern = "stale";
    check(ryk::SplitPathArgument(*fileSystem, argument, directory, pattern));

    const size_t slash = argument.rfind('/');
    const std::string_view last = slash == std::string::npos
                                      ? std::string_view(argument)
                                      : std::string_view(argument).substr(slash + 1);
    const bool wildcard = last.find_first_of("*?") != std::string_view::npos;
    const bool whole = directory == argument && pattern.empty();
    if (!whole || wildcard) {
        check(directory + pattern == argument);
        check(pattern == last);
    }
    if (whole && !argument.empty() && argument.back() != '/') {
        check(!wildcard);
        check(isRealDirectory(argument));
    }
    // Inside the tree (no NUL, no way out), an argument naming a directory is taken whole.
    const bool insideTree = !raw && input.find('\0') == std::string::npos &&
                            input.find("..") == std::string::npos && last != "." && last != "..";
    if (insideTree && !wildcard && isRealDirectory(argument))
        check(whole);
    return 0;
}
