#pragma once

#include "desktop/results/OperationTableModel.h"

#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace ryk {

/// Lets the result list follow a run at a pace the screen keeps up with. A run of small files
/// starts hundreds of entries a second, and repainting the rows, the status line and the scroll
/// position for each would take longer than copying the files: the marks the run gives rows
/// are collected, and shown with the latest entry at most once an interval (an entry after a
/// quiet interval at once).
class RunProgressThrottle {
public:
    /// Puts collected marks on the rows.
    using MarksShower = std::function<void(const std::vector<OperationTableModel::RowMark>&)>;
    /// Shows the latest entry that started: its row and its status line.
    using EntryShower = std::function<void(size_t row, const QString& statusText)>;
    enum class Show { WhenDue, Now };

    RunProgressThrottle(std::chrono::milliseconds interval, MarksShower showMarks,
                        EntryShower showEntry);

    /// The entry at `row` starts and its row gets the running mark; shown at once with Show::Now
    /// or when the last showing is an interval ago. The status line (bytes as the engine
    /// writes them) becomes text only if it is shown.
    void entryStarting(size_t row, const std::string& statusText, Show when);
    /// The entry at `row` reached `overlay`, which the next showing puts on its row.
    void entryFinished(size_t row, RowOverlay overlay);
    /// Shows what is collected at once (the end of a run).
    void showNow();

private:
    /// Shows the collected marks and, if not shown yet, the latest entry; the interval then
    /// starts again.
    void show();

    QTimer m_timer;
    MarksShower m_showMarks;
    EntryShower m_showEntry;
    std::vector<OperationTableModel::RowMark> m_marks;
    size_t m_latestRow = 0;
    std::string m_latestText;
    bool m_latestPending = false;
};

} // namespace ryk
