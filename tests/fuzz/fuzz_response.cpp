// The response-file reader on arbitrary bytes. A small tree is made once; each input is written
// as the response file and planned (nothing is ever run). Besides the sanitizers, every planned
// entry must carry a command the reader can produce and the job must end in Response mode.

#include "engine/TransferJob.h"
#include "platform/AbortKey.h"
#include "platform/MessageBox.h"
#include "platform/posix/PosixFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class SilentMessageBox : public ryk::MessageBox {
public:
    ryk::MessageAnswer show(const std::string&, const std::string&, ryk::MessageButtons,
                            ryk::MessageIcon) override {
        return ryk::MessageAnswer::No;
    }
};

class QuietAbortKey : public ryk::AbortKey {
public:
    ryk::AbortKeyEvent poll() override { return ryk::AbortKeyEvent::None; }
};

std::string g_root;

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    namespace fs = std::filesystem;
    g_root =
        (fs::temp_directory_path() / ("ryk-fuzz-response-" + std::to_string(getpid()))).string();
    fs::create_directories(g_root + "/src/sub");
    fs::create_directories(g_root + "/dst");
    std::ofstream(g_root + "/src/a.txt") << "a";
    std::ofstream(g_root + "/src/b.c") << "b";
    std::ofstream(g_root + "/src/sub/c.h") << "c";
    // Relative paths in the inputs resolve inside the tree.
    fs::current_path(g_root);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = g_root + "/job.rsp";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ryk::PosixFileSystem fileSystem;
    SilentMessageBox messages;
    QuietAbortKey keys;
    const ryk::Platform platform{fileSystem, messages, keys};
    ryk::TransferJob job(platform);
    ryk::JobSettings settings;
    settings.mode = ryk::TransferMode::Response;
    settings.sourcePatterns = file;
    check(job.takeJob(settings));
    check(job.PlanJob());
    check(job.shownMode() == ryk::TransferMode::Response);
    for (const auto& entry : job.list()) {
        const int code = static_cast<int>(entry->command);
        check(code >= 0 && code <= 8);
        check(entry->state == ryk::kStatePending);
    }
    return 0;
}
