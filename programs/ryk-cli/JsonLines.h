// ryk-cli --json: the plan and the run's outcomes as JSON Lines, one object per line.
#pragma once

#include "engine/RunObserver.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ryk {

class OperationEntry;
struct PlanTotals;

/// Writes one JSON object on one line, field by field, into a text of the caller's. Keys are
/// our own ASCII words and are written as given.
class JsonObject {
public:
    explicit JsonObject(std::string& out);
    /// `value` as a JSON string: valid UTF-8 as it is, control bytes, the quote and the
    /// backslash escaped, each byte of a broken sequence as U+FFFD.
    JsonObject& text(std::string_view key, std::string_view value);
    /// A file name, which need not be UTF-8: text(key, bytes), and when the bytes are not valid
    /// UTF-8, also "<key>_base64" with every byte, so that the name is carried without loss.
    JsonObject& name(std::string_view key, std::string_view bytes);
    JsonObject& number(std::string_view key, int64_t value);
    JsonObject& flag(std::string_view key, bool value);
    /// Closes the object and the line ("}\n").
    void end();

private:
    void key(std::string_view key);

    std::string& m_out;
    bool m_first = true;
};

/// Appends `text` as the inside of a JSON string (see JsonObject::text).
void appendJsonString(std::string& out, std::string_view text);
/// `bytes` in base64 (RFC 4648, with padding).
std::string base64(std::string_view bytes);

/// The plan object of the line numbered `line` (from 1).
void appendPlanJson(std::string& out, size_t line, const OperationEntry& entry);
/// The outcome object of the line numbered `line`; nothing for a Deferred outcome, which is
/// reported again with its own.
void appendOutcomeJson(std::string& out, size_t line, const OperationEntry& entry,
                       EntryOutcome outcome);
/// The object after the plan's lines: their number and byte totals.
void appendSummaryJson(std::string& out, size_t lines, const PlanTotals& totals, int errorLines);
/// The object that closes a run: its errors, whether it reached the end, what is left.
void appendFinishedJson(std::string& out, const RunSummary& summary, size_t pending);

} // namespace ryk
