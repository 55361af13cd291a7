#pragma once

#include "platform/Translation.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

struct Platform;

/// How a comparison of two files ended.
enum class CompareOutcome {
    Match,
    Difference,
    OpenFailed,
    NoMemory,
    SourceReadFailed,
    TargetReadFailed,
    /// The user stopped it with the abort key.
    Stopped,
};

/// What a comparison found.
struct CompareResult {
    CompareOutcome outcome = CompareOutcome::Match;
    /// 1 plus the line breaks in the bytes that compared equal.
    uint64_t line = 1;
    /// The bytes that compared equal: for a difference the 0-based offset of the first
    /// differing byte, or the length of the shorter file when one is a head of the other.
    uint64_t offset = 0;
    /// The error code of a failed open or read, 0 otherwise.
    int error = 0;

    friend bool operator==(const CompareResult&, const CompareResult&) = default;
};

/// Told how far a comparison has come, after every block.
class CompareProgress {
public:
    virtual ~CompareProgress() = default;
    virtual void compared(uint64_t bytes) = 0;
};

/// The bytes read from each file at a time.
inline constexpr size_t kCompareBlockBytes = 32768;

/// Compares two files byte for byte up to the end of both, counting line breaks (LF, CR and
/// CR LF are one each) on the way, and polls the abort key after every block. The files are
/// read as they are now, so one that changed since it was planned is still compared whole.
[[nodiscard]] CompareResult compareFiles(const Platform& platform, const std::string& source,
                                         const std::string& target,
                                         CompareProgress* progress = nullptr);

/// "一致しています", "%d行 (offset=%d)で違いがありました" or the text of the failure.
std::string compareResultText(const CompareResult& result,
                              const Translation& translation = kUntranslated);

} // namespace ryk
