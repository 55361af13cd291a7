// The command line with arbitrary arguments: the input is split at NUL bytes into arguments.

#include "app/CommandLine.h"
#include "platform/MessageBox.h"
#include "platform/posix/PosixFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class DiscardingMessageBox : public ryk::MessageBox {
public:
    ryk::MessageAnswer show(const std::string&, const std::string&, ryk::MessageButtons buttons,
                            ryk::MessageIcon) override {
        return buttons == ryk::MessageButtons::Ok ? ryk::MessageAnswer::Ok : ryk::MessageAnswer::No;
    }
};

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ryk;
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }

    PosixFileSystem fileSystem;
    DiscardingMessageBox messages;
    JobSettings job;
    StartupFlags flags;
    const bool read = readCommandLine(arguments, job, flags, fileSystem, messages);

    const int mode = static_cast<int>(job.mode);
    check(mode >= 0 && mode <= 5);
    // A refused command line stops before validation; its job is never used.
    if (!read)
        return 0;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        check(job.flags[i] <= 1);
    const OptionFlags& f = job.flags;
    // A flag of a group is never set without its group switch; no option sets afterDateOnly.
    check(f.subdirectories || !(f.recurse || f.includeEmptyDirectories || f.directoriesOnly ||
                                f.removeSourceDirectories));
    check(f.dateConditions || !(f.ignoreDates || f.onlyMissing || f.onlyExisting));
    check(!f.afterDateOnly);
    // The last option of a group wins, so at most one variant of each is left.
    check(f.includeEmptyDirectories + f.directoriesOnly + f.recurse <= 1);
    check(!f.removeSourceDirectories || f.recurse);
    check(f.ignoreDates + f.onlyMissing + f.onlyExisting <= 1);
    // What validation refuses never survives it.
    if (job.mode == TransferMode::Update)
        check(!f.removeSourceDirectories);
    if (job.mode == TransferMode::Search)
        check(!f.removeSourceDirectories && !f.includeEmptyDirectories && !f.directoriesOnly);
    if (job.mode == TransferMode::Delete)
        check(!f.includeEmptyDirectories && !f.directoriesOnly);
    if (job.mode == TransferMode::Search || job.mode == TransferMode::Delete)
        check(!f.dateConditions);
    for (const char c : job.exclusionPatterns)
        check(c < 'A' || c > 'Z');
    // Path parts come from one argument each, and over-long arguments are dropped.
    check(job.sourceDirectory.size() + job.sourcePatterns.size() < kMaxArgumentBytes);
    check(job.destinationDirectory.size() + job.destinationPattern.size() < kMaxArgumentBytes);
    return 0;
}
