#include "engine/ListText.h"

#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "engine/TransferJob.h"

#include <algorithm>

namespace ryk {

namespace {

int64_t neededBy(const OperationEntry& entry) {
    return static_cast<int64_t>(entry.source.size) - static_cast<int64_t>(entry.target.size);
}

void appendQuoted(std::string& line, const SharedPath& path) {
    line += '"';
    path.appendTo(line);
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

std::string clipboardLine(const OperationEntry& entry) {
    std::string line = commandName(entry.command);
    line += ' ';
    appendQuoted(line, entry.source.path);
    line += ' ';
    if (!entry.target.path.empty())
        appendQuoted(line, entry.target.path);
    return line;
}

std::string clipboardText(const OperationList& list, std::string_view lineEnd) {
    std::string text;
    for (const auto& entry : list) {
        text += clipboardLine(*entry);
        text += lineEnd;
    }
    return text;
}

std::string summaryText(const TransferJob& job, const PlanTotals& totals) {
    const std::string count = std::to_string(job.list().size());
    const std::string all = FileUtility::FormatSize(static_cast<int64_t>(totals.totalBytes));
    uint64_t freeBytes = 0;
    uint64_t volumeBytes = 0;
    switch (job.job().mode) {
    case TransferMode::Update:
    case TransferMode::Move: {
        const std::string need = FileUtility::FormatSize(totals.neededBytes);
        if (!job.utility().GetDiskSpace(job.job().destinationDirectory, freeBytes, volumeBytes))
            return "[???]cmd=" + count + ", need=" + need + " (all=" + all + ")";
        const bool tooBig = totals.neededBytes > static_cast<int64_t>(freeBytes);
        return std::string(tooBig ? "[NG?]" : "[OK.]") + "cmd=" + count + ", need=" + need +
               " dest=" + FileUtility::FormatSize(static_cast<int64_t>(freeBytes)) + "/" +
               FileUtility::FormatSize(static_cast<int64_t>(volumeBytes)) + " (all=" + all + ")";
    }
    case TransferMode::Search:
    case TransferMode::Delete:
        if (job.utility().GetDiskSpace(job.job().sourceDirectory, freeBytes, volumeBytes))
            return "cmd=" + count + " (all=" + all +
                   ")src=" + FileUtility::FormatSize(static_cast<int64_t>(freeBytes)) + "/" +
                   FileUtility::FormatSize(static_cast<int64_t>(volumeBytes));
        break;
    case TransferMode::Response:
    case TransferMode::Sync:
        break;
    }
    return "cmd=" + count + " (all=" + all + ")";
}

std::string runProgressText(size_t index, size_t total, int errors) {
    return std::to_string(index) + " / " + std::to_string(total) +
           " (Error=" + std::to_string(errors) + ") 中止はESCキーを押してください...";
}

std::string runFinishedText(int errors) {
    return "完了しました.(Error=" + std::to_string(errors) + ")";
}

std::string runStoppedText(int errors, size_t pending) {
    return "中断しました.(Error=" + std::to_string(errors) + ", 未実行=" + std::to_string(pending) +
           ")";
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

std::string escapeControlBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto plain = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c != '\\' && byte >= 0x20 && byte != 0x7f;
    };
    // Most lines have nothing to escape: they are copied whole, not byte by byte.
    const size_t first =
        static_cast<size_t>(std::find_if_not(text.begin(), text.end(), plain) - text.begin());
    std::string escaped(text.substr(0, first));
    if (first == text.size())
        return escaped;
    escaped.reserve(text.size() + 8);
    for (const char c : text.substr(first)) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                escaped += "\\x";
                escaped += kHex[byte >> 4];
                escaped += kHex[byte & 0xf];
            } else {
                escaped += c;
            }
            break;
        }
    }
    return escaped;
}

} // namespace ryk
