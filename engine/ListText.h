#pragma once

#include "platform/Translation.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ryk {

class OperationEntry;
class OperationList;
enum class TransferMode : int32_t;

/// The byte totals of a plan the summary line shows.
struct PlanTotals {
    /// Source sizes of every line that acts on a file or directory (codes 0 to 7).
    uint64_t totalBytes = 0;
    /// Source minus target sizes of the copying lines (codes 0 to 3); may be negative.
    int64_t neededBytes = 0;

    void add(const OperationEntry& entry);
    void remove(const OperationEntry& entry);
};

PlanTotals computeTotals(const OperationList& list);

/// One line of the list as text: "%s %s %s" from the command name, the quoted source path and
/// the quoted target path (empty when there is none), without a line end. The paths are
/// escaped as escapeControlBytes() does, so that a line stays one line and a response file
/// reads every name back as it was. The one form of a line, on the clipboard and the terminal.
std::string clipboardLine(const OperationEntry& entry);
/// Appends clipboardLine(entry) to `text`.
void appendClipboardLine(std::string& text, const OperationEntry& entry);
/// Every line of the list, each followed by `lineEnd`.
std::string clipboardText(const OperationList& list, std::string_view lineEnd);

/// The free and total bytes of the volume a summary reports on.
struct VolumeSpace {
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
};

/// The status-bar summary of a plan of `count` lines shown as `mode` ("[OK.]cmd=...",
/// "cmd=%d (all=%s)", ...). `space` is the volume of the destination (Update, Move) or of the
/// source (Search, Delete) as the caller measured it; nullopt when it could not be measured.
std::string summaryText(size_t count, const PlanTotals& totals, TransferMode mode,
                        const std::optional<VolumeSpace>& space);

/// "%d / %d (Error=%d) 中止はESCキーを押してください..."
std::string runProgressText(size_t index, size_t total, int errors,
                            const Translation& translation = kUntranslated);
/// "完了しました.(Error=%d)"
std::string runFinishedText(int errors, const Translation& translation = kUntranslated);
/// "中断しました.(Error=%d, 未実行=%d)": a run stopped before the end of the list.
std::string runStoppedText(int errors, size_t pending,
                           const Translation& translation = kUntranslated);
/// The lines a further run would still carry out: pending, and neither Find nor Error.
size_t pendingActionCount(const OperationList& list);

/// `text` with every control byte (0x00-0x1F, 0x7F) written out, so that one line stays one
/// line: "\n", "\r", "\t", otherwise "\xhh"; a backslash becomes two, and a double quote
/// gets one before it, so that a quoted name ends only at its closing quote. All other bytes
/// pass unchanged, whether they form valid UTF-8 or not.
std::string escapeControlBytes(std::string_view text);
/// Appends escapeControlBytes(text) to `out`.
void appendEscapedControlBytes(std::string& out, std::string_view text);

} // namespace ryk
