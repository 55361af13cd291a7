#include "engine/ListText.h"

#include "engine/FileUtility.h"
#include "engine/JobSettings.h"
#include "engine/OperationEntry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ryk {

namespace {

int64_t neededBy(const OperationEntry& entry) {
    return static_cast<int64_t>(entry.source.size) - static_cast<int64_t>(entry.target().size);
}

/// The bytes a line shows as they are: neither control bytes, nor the backslash, nor the
/// double quote that ends a quoted name.
struct PlainBytes {
    bool plain[256];
    constexpr PlainBytes() : plain() {
        for (int byte = 0; byte < 256; ++byte)
            plain[byte] = byte >= 0x20 && byte != 0x7f && byte != '\\' && byte != '"';
    }
};
constexpr PlainBytes kPlainBytes;

/// True when none of the eight bytes of `word` needs escaping. It may say false for plain bytes
/// too (they are then looked at one by one), never true for a byte to escape.
bool allPlain(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighs = 0x8080808080808080;
    const auto anyBelow = [](uint64_t x, uint64_t n) { return (x - kOnes * n) & ~x & kHighs; };
    const auto anyZero = [](uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    return (anyBelow(word, 0x20) | anyZero(word ^ (kOnes * 0x7f)) | anyZero(word ^ (kOnes * '\\')) |
            anyZero(word ^ (kOnes * '"'))) == 0;
}

/// Where the first byte to escape at or after `at` stands, or the size of `text`. Most names
/// have none: runs of plain bytes are passed eight at a time.
size_t nextToEscape(std::string_view text, size_t at) {
    size_t end = at;
    for (uint64_t word; end + 8 <= text.size(); end += 8) {
        std::memcpy(&word, text.data() + end, 8);
        if (!allPlain(word))
            break;
    }
    while (end < text.size() && kPlainBytes.plain[static_cast<unsigned char>(text[end])])
        ++end;
    return end;
}

/// The path between double quotes, escaped as escapeControlBytes() does.
void appendQuoted(std::string& line, const SharedPath& path) {
    line += '"';
    const size_t start = line.size();
    path.appendTo(line);
    // Only a name with something to escape is written a second time.
    if (nextToEscape(line, start) != line.size()) {
        const std::string raw = line.substr(start);
        line.resize(start);
        appendEscapedControlBytes(line, raw);
    }
    line += '"';
}

} // namespace

void PlanTotals::add(const OperationEntry& entry) {
    // An Error line acts on nothing; every other line's file counts.
    if (entry.command != OperationCommand::Error)
        totalBytes += entry.source.size;
    if (hasTarget(entry.command))
        neededBytes += neededBy(entry);
}

void PlanTotals::remove(const OperationEntry& entry) {
    if (entry.command != OperationCommand::Error)
        totalBytes -= entry.source.size;
    if (hasTarget(entry.command))
        neededBytes -= neededBy(entry);
}

PlanTotals computeTotals(const OperationList& list) {
    PlanTotals totals;
    for (const auto& entry : list)
        totals.add(*entry);
    return totals;
}

void appendClipboardLine(std::string& line, const OperationEntry& entry) {
    line += commandName(entry.command);
    line += ' ';
    appendQuoted(line, entry.source.path);
    line += ' ';
    // A Mkdir's target is the source directory it mirrors: not part of the line.
    if (!entry.targetPath().empty() && entry.command != OperationCommand::Mkdir)
        appendQuoted(line, entry.targetPath());
}

std::string clipboardLine(const OperationEntry& entry) {
    std::string line;
    appendClipboardLine(line, entry);
    return line;
}

std::string clipboardText(const OperationList& list, std::string_view lineEnd) {
    std::string text;
    for (const auto& entry : list) {
        appendClipboardLine(text, *entry);
        text += lineEnd;
    }
    return text;
}

std::string summaryText(size_t count, const PlanTotals& totals, TransferMode mode,
                        const std::optional<VolumeSpace>& space) {
    const std::string lines = std::to_string(count);
    const std::string all = FileUtility::FormatSize(static_cast<int64_t>(totals.totalBytes));
    const auto volumeText = [&space] {
        return FileUtility::FormatSize(static_cast<int64_t>(space->freeBytes)) + "/" +
               FileUtility::FormatSize(static_cast<int64_t>(space->totalBytes));
    };
    switch (mode) {
    case TransferMode::Update:
    case TransferMode::Move: {
        const std::string need = FileUtility::FormatSize(totals.neededBytes);
        if (!space)
            return "[???]cmd=" + lines + ", need=" + need + " (all=" + all + ")";
        const bool tooBig = totals.neededBytes > static_cast<int64_t>(space->freeBytes);
        return std::string(tooBig ? "[NG?]" : "[OK.]") + "cmd=" + lines + ", need=" + need +
               " dest=" + volumeText() + " (all=" + all + ")";
    }
    case TransferMode::Search:
    case TransferMode::Delete:
        if (space)
            return "cmd=" + lines + " (all=" + all + ")src=" + volumeText();
        break;
    case TransferMode::Response:
    case TransferMode::Sync:
        break;
    }
    return "cmd=" + lines + " (all=" + all + ")";
}

std::string runProgressText(size_t index, size_t total, int errors,
                            const Translation& translation) {
    return fillIn(
        translation.translate("ListText", "%1 / %2 (Error=%3) 中止はESCキーを押してください..."),
        {std::to_string(index), std::to_string(total), std::to_string(errors)});
}

std::string runFinishedText(int errors, const Translation& translation) {
    return fillIn(translation.translate("ListText", "完了しました.(Error=%1)"),
                  {std::to_string(errors)});
}

std::string runStoppedText(int errors, size_t pending, const Translation& translation) {
    return fillIn(translation.translate("ListText", "中断しました.(Error=%1, 未実行=%2)"),
                  {std::to_string(errors), std::to_string(pending)});
}

size_t pendingActionCount(const OperationList& list) {
    size_t count = 0;
    for (const auto& entry : list) {
        if (entry->state == kStatePending && entry->command != OperationCommand::Find &&
            entry->command != OperationCommand::Error)
            ++count;
    }
    return count;
}

void appendEscapedControlBytes(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = nextToEscape(text, at);
        out.append(text.substr(at, end - at));
        if (end == text.size())
            return;
        const char c = text[end];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            const auto byte = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
            break;
        }
        }
        at = end + 1;
    }
}

std::string escapeControlBytes(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    appendEscapedControlBytes(escaped, text);
    return escaped;
}

} // namespace ryk
