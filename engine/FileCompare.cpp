#include "engine/FileCompare.h"

#include "engine/FileUtility.h"
#include "platform/BlockReader.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace ryk {

namespace {

/// Counts line breaks over consecutive pieces of one text, so a CR LF split between two
/// blocks still counts once.
class LineCounter {
public:
    void add(const char* data, size_t size) {
        if (size == 0)
            return;
        const char* end = data + size;
        // memchr hops over long runs without line breaks (binary data, holes) at memory speed.
        for (const char* p = data; (p = find(p, end, '\r')); ++p)
            ++m_breaks;
        for (const char* p = data; (p = find(p, end, '\n')); ++p) {
            const bool afterCr = p == data ? m_lastWasCr : p[-1] == '\r';
            if (!afterCr)
                ++m_breaks;
        }
        m_lastWasCr = end[-1] == '\r';
    }
    uint64_t line() const { return m_breaks + 1; }

private:
    static const char* find(const char* from, const char* end, char c) {
        return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
    }

    uint64_t m_breaks = 0;
    bool m_lastWasCr = false;
};

/// The length of the common head of two blocks.
size_t equalHead(const char* a, size_t sizeA, const char* b, size_t sizeB) {
    const size_t shorter = std::min(sizeA, sizeB);
    return static_cast<size_t>(std::mismatch(a, a + shorter, b).first - a);
}

} // namespace

CompareResult compareFiles(const Platform& platform, const std::string& source,
                           const std::string& target, CompareProgress* progress) {
    CompareResult result;
    const auto fail = [&](CompareOutcome outcome, int error = 0) {
        result.outcome = outcome;
        result.error = error;
        return result;
    };
    const auto sourceReader = platform.fileSystem.openBlocks(source);
    if (!sourceReader)
        return fail(CompareOutcome::OpenFailed, sourceReader.error());
    const auto targetReader = platform.fileSystem.openBlocks(target);
    if (!targetReader)
        return fail(CompareOutcome::OpenFailed, targetReader.error());

    // One allocation for both halves.
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[2 * kCompareBlockBytes]);
    if (!buffer)
        return fail(CompareOutcome::NoMemory);
    char* const a = buffer.get();
    char* const b = buffer.get() + kCompareBlockBytes;

    const FileUtility utility(platform);
    LineCounter lines;
    for (;;) {
        size_t sizeA = 0;
        size_t sizeB = 0;
        if (const int error = (*sourceReader)->read(a, kCompareBlockBytes, sizeA))
            return fail(CompareOutcome::SourceReadFailed, error);
        if (const int error = (*targetReader)->read(b, kCompareBlockBytes, sizeB))
            return fail(CompareOutcome::TargetReadFailed, error);
        if (sizeA == sizeB && std::memcmp(a, b, sizeA) == 0) {
            // Only the end of both files ends a match: a recorded length might be out of date.
            if (sizeA == 0)
                return result;
            lines.add(a, sizeA);
            result.offset += sizeA;
            result.line = lines.line();
            if (progress)
                progress->compared(result.offset);
            if (utility.PollAbortKey() != 0)
                return fail(CompareOutcome::Stopped);
            continue;
        }
        // Only the block that holds the first difference is walked further.
        const size_t equal = equalHead(a, sizeA, b, sizeB);
        lines.add(a, equal);
        result.offset += equal;
        result.line = lines.line();
        if (progress)
            progress->compared(result.offset);
        result.outcome = CompareOutcome::Difference;
        return result;
    }
}

std::string compareResultText(const CompareResult& result, const Translation& translation) {
    switch (result.outcome) {
    case CompareOutcome::Match:
        return translation.translate("FileCompare", "一致しています");
    case CompareOutcome::Difference:
        return fillIn(translation.translate("FileCompare", "%1行 (offset=%2)で違いがありました"),
                      {std::to_string(result.line), std::to_string(result.offset)});
    case CompareOutcome::OpenFailed:
        return translation.translate("FileCompare", "ファイルが開けません");
    case CompareOutcome::NoMemory:
        return translation.translate("FileCompare", "メモリが確保できません");
    case CompareOutcome::SourceReadFailed:
        return translation.translate("FileCompare", "更新元読みこみエラー");
    case CompareOutcome::TargetReadFailed:
        return translation.translate("FileCompare", "更新先読みこみエラー");
    case CompareOutcome::Stopped:
        return translation.translate("FileCompare", "比較を中断しました");
    }
    return {};
}

} // namespace ryk
