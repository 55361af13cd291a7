#pragma once

#include "desktop/results/RowImages.h"
#include "engine/JobSettings.h"
#include "engine/ListText.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace ryk {

/// The rows of the result list over an operation list: row i is the i-th entry. Texts, images
/// and tooltips (the whole path; which file a row failed on and why) are made when the view
/// asks; per row the model keeps only its run mark.
class OperationTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ActionColumn = 0, SourceColumn = 1, TargetColumn = 2 };
    /// Called with (rows done, rows in all) during long steps.
    using Progress = std::function<void(size_t done, size_t count)>;

    /// The columns follow `mode`: no target column in Search and Delete mode. The rows appear
    /// with reset().
    OperationTableModel(OperationList& list, TransferMode mode, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Removes the rows and destroys their entries, taking them out of the totals.
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    /// Takes the list as it stands: every row without a mark, the totals summed afresh. `progress`
    /// hears of every 256th row and the last.
    void reset(const Progress& progress = {});
    /// Removes the given rows (ascending, no repeats) and their entries.
    void removeRowSet(const std::vector<int>& rows);
    /// Destroys every entry, from the last row to the first; `progress` hears the rows left.
    void clear(const Progress& progress = {});

    /// The facts of the entry at `row` were read again: its cells are drawn anew.
    void factsChanged(size_t row);

    /// What went wrong on `row`, naming the file and the system's reason: "失敗 先ファイル名:
    /// /dst/a.txt (Permission denied)", "エラーが発生 元ファイル名: /src/sub (...)"; empty for a
    /// row without an error.
    QString problemText(int row) const;

    /// The next row after `row` (or before it, with Direction::Up) whose entry failed or was
    /// planned as an error; -1 when there is none that way.
    enum class Direction { Down, Up };
    int nextErrorRow(int row, Direction direction) const;

    /// A row's run mark and the marks of many rows at once, told to the views as one change
    /// over the rows they span.
    using RowMark = std::pair<size_t, RowOverlay>;
    void setOverlay(size_t row, RowOverlay overlay);
    void setOverlays(const std::vector<RowMark>& marks);
    RowOverlay overlay(size_t row) const;
    /// The byte totals of the rows shown.
    const PlanTotals& totals() const { return m_totals; }

private:
    /// Removes rows [first, first + count) without telling the views.
    void eraseRows(int first, int count);

    OperationList& m_list;
    RowImages m_images;
    TransferMode m_mode;
    PlanTotals m_totals;
    /// The run mark of each row (a RowOverlay).
    std::vector<uint8_t> m_overlays;
};

} // namespace ryk
