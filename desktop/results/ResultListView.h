#pragma once

#include <QTableView>

namespace ryk {

class RowDelegate;

/// The result list as a list of rows rather than a grid of cells: the cursor moves from row to
/// row (Home and End go to the first and last row), the focus frame goes round the whole
/// current row, and long texts are shortened in their middle with their last component kept.
class ResultListView : public QTableView {
    Q_OBJECT
public:
    explicit ResultListView(QWidget* parent = nullptr);

    /// Brings `row` back into view when it has left it, scrolled to the middle, so that a list
    /// that follows a run moves by half a page rather than by a row per entry.
    void followRow(int row);
    /// Fits the columns to their contents, but lets the last one take the rest of the width
    /// (and shorten its paths) rather than push the list sideways.
    void fitColumns();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void paintEvent(QPaintEvent* event) override;

private:
    /// Draws and measures the cells.
    RowDelegate* m_delegate;
};

} // namespace ryk
