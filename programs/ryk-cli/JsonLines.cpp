#include "programs/ryk-cli/JsonLines.h"

#include "engine/ListText.h"
#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"
#include "platform/text/Utf8.h"

#include <algorithm>

namespace ryk {

JsonObject::JsonObject(std::string& out) : m_out(out) {
    m_out += '{';
}

void JsonObject::key(std::string_view key) {
    if (!m_first)
        m_out += ',';
    m_first = false;
    m_out += '"';
    m_out += key;
    m_out += "\":";
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    this->key(key);
    m_out += '"';
    appendJsonString(m_out, value);
    m_out += '"';
    return *this;
}

JsonObject& JsonObject::name(std::string_view key, std::string_view bytes) {
    text(key, bytes);
    if (!isValidUtf8(bytes))
        text(std::string(key) + "_base64", base64(bytes));
    return *this;
}

JsonObject& JsonObject::number(std::string_view key, int64_t value) {
    this->key(key);
    m_out += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::flag(std::string_view key, bool value) {
    this->key(key);
    m_out += value ? "true" : "false";
    return *this;
}

void JsonObject::end() {
    m_out += "}\n";
}

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const size_t length = characterLength(text, at);
        if (byte >= 0x80) {
            // One byte of a sequence that is not well-formed stands for one replacement mark.
            if (length == 1)
                out += "\xEF\xBF\xBD";
            else
                out.append(text.substr(at, length));
            at += length;
            continue;
        }
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
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
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xf];
            } else {
                out += static_cast<char>(byte);
            }
        }
        ++at;
    }
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - at);
        uint32_t group = 0;
        for (size_t i = 0; i < 3; ++i)
            group = group << 8 | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (size_t i = 0; i < 4; ++i)
            out += i <= count ? kDigits[(group >> (18 - 6 * i)) & 0x3f] : '=';
    }
    return out;
}

void appendPlanJson(std::string& out, size_t line, const OperationEntry& entry) {
    JsonObject object(out);
    object.text("type", "plan")
        .number("line", static_cast<int64_t>(line))
        .text("command", commandName(entry.command))
        .name("source", entry.source.path.str());
    // A Mkdir's target is the source directory it mirrors: not part of the line.
    if (!entry.targetPath().empty() && entry.command != OperationCommand::Mkdir)
        object.name("target", entry.targetPath().str());
    if (!entry.hardLinkTo().empty())
        object.name("link_to", entry.hardLinkTo().str());
    object.number("size", static_cast<int64_t>(entry.source.size));
    if (entry.command == OperationCommand::Error && entry.lastError != 0)
        object.number("error", entry.lastError).text("message", errorText(entry.lastError));
    object.end();
}

void appendOutcomeJson(std::string& out, size_t line, const OperationEntry& entry,
                       EntryOutcome outcome) {
    const char* state = "";
    switch (outcome) {
    case EntryOutcome::Done:
        state = "done";
        break;
    case EntryOutcome::Failed:
        state = "failed";
        break;
    case EntryOutcome::Deferred:
        return;
    case EntryOutcome::NoAction:
        state = entry.state == kStatePending ? "pending" : "skipped";
        break;
    }
    JsonObject object(out);
    object.text("type", "outcome")
        .number("line", static_cast<int64_t>(line))
        .text("state", state)
        .number("error", outcome == EntryOutcome::Failed ? entry.lastError : 0);
    if (outcome == EntryOutcome::Failed)
        object.text("message", errorText(entry.lastError));
    object.end();
}

void appendSummaryJson(std::string& out, size_t lines, const PlanTotals& totals, int errorLines) {
    JsonObject(out)
        .text("type", "summary")
        .number("lines", static_cast<int64_t>(lines))
        .number("total_bytes", static_cast<int64_t>(totals.totalBytes))
        .number("needed_bytes", totals.neededBytes)
        .number("error_lines", errorLines)
        .end();
}

void appendFinishedJson(std::string& out, const RunSummary& summary, size_t pending) {
    JsonObject(out)
        .text("type", "finished")
        .flag("complete", summary.complete)
        .number("errors", summary.errors)
        .number("pending", static_cast<int64_t>(pending))
        .end();
}

} // namespace ryk
