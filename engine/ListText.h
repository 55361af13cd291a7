#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ryk {

class OperationEntry;
class OperationList;
class TransferJob;

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
/// the quoted target path (empty when there is none), without a line end.
std::string clipboardLine(const OperationEntry& entry);
/// Every line of the list, each followed by `lineEnd`.
std::string clipboardText(const OperationList& list, std::string_view lineEnd);

/// The status-bar summary of a planned job ("[OK.]cmd=...", "cmd=%d (all=%s)", ...).
std::string summaryText(const TransferJob& job, const PlanTotals& totals);

/// "%d / %d (Error=%d) 中止はESCキーを押してください..."
std::string runProgressText(size_t index, size_t total, int errors);
/// "完了しました.(Error=%d)"
std::string runFinishedText(int errors);

} // namespace ryk
