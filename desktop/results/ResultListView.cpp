#include "desktop/results/ResultListView.h"

#include "desktop/progress/CompactPath.h"
#include "desktop/results/OperationTableModel.h"

#include <QHash>
#include <QHeaderView>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

namespace ryk {

namespace {

/// Share of the list's width a path column may take when fitted to its contents, so that a
/// long source path never pushes the target column out of sight.
constexpr double kMaxPathColumnShare = 0.45;

} // namespace

/// A cell draws no focus frame of its own: the view draws one round the current row.
class RowDelegate : public CompactPathDelegate {
public:
    using CompactPathDelegate::CompactPathDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        cell.state &= ~QStyle::State_HasFocus;
        CompactPathDelegate::paint(painter, cell, index);
    }

    /// While a column is fitted (see fitColumns) measures what can change its width only:
    /// after one cell as wide as `limit` (0 for none), which is all the column may take, the
    /// others are not measured; action cells are measured once per text.
    void beginFit(int limit) {
        m_fitting = true;
        m_fitLimit = limit;
        m_limitReached = false;
        m_actionWidths.clear();
    }
    void endFit() {
        m_fitting = false;
        m_actionWidths.clear();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!m_fitting)
            return CompactPathDelegate::sizeHint(option, index);
        if (m_limitReached)
            return {m_fitLimit, 0};
        // Every action cell has an image of one size beside one of a few names.
        const bool action = index.column() == OperationTableModel::ActionColumn;
        const QString text = action ? index.data().toString() : QString();
        if (action)
            if (const auto known = m_actionWidths.constFind(text); known != m_actionWidths.cend())
                return *known;
        const QSize hint = CompactPathDelegate::sizeHint(option, index);
        if (action)
            m_actionWidths.insert(text, hint);
        m_limitReached = m_fitLimit > 0 && hint.width() >= m_fitLimit;
        return hint;
    }

private:
    bool m_fitting = false;
    int m_fitLimit = 0;
    mutable bool m_limitReached = false;
    mutable QHash<QString, QSize> m_actionWidths;
};

ResultListView::ResultListView(QWidget* parent) : QTableView(parent) {
    m_delegate = new RowDelegate(this);
    setItemDelegate(m_delegate);
    setTextElideMode(Qt::ElideNone);
}

void ResultListView::followRow(int row) {
    const QModelIndex cell = model() ? model()->index(row, 0) : QModelIndex();
    if (!cell.isValid() || viewport()->rect().contains(visualRect(cell)))
        return;
    // The rows at their new places are drawn whole, in one piece: the rows moved on the screen
    // and the cells drawn after them would reach it apart, and for a moment show one row's mark
    // beside another row's paths.
    viewport()->setUpdatesEnabled(false);
    scrollTo(cell, PositionAtCenter);
    viewport()->setUpdatesEnabled(true);
}

void ResultListView::fitColumns() {
    if (!model())
        return;
    // The viewport itself takes its size only when first shown.
    const int maxPathWidth = static_cast<int>(maximumViewportSize().width() * kMaxPathColumnShare);
    // A list of a million rows is measured at a thousand of them, and most paths are wider
    // than a path column may be: the first such path ends the measuring.
    for (int column = 0; column + 1 < model()->columnCount(); ++column) {
        const bool path = column != OperationTableModel::ActionColumn;
        m_delegate->beginFit(path ? maxPathWidth : 0);
        resizeColumnToContents(column);
        m_delegate->endFit();
        if (path)
            setColumnWidth(column, std::min(columnWidth(column), maxPathWidth));
    }
}

QModelIndex ResultListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QAbstractItemModel* rows = model();
    if (!rows || rows->rowCount() == 0)
        return {};
    int row = currentIndex().isValid() ? currentIndex().row() : 0;
    switch (action) {
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows->rowCount() - 1;
        break;
    case MoveLeft:
    case MoveRight: {
        // Sideways the list scrolls; the cursor stays on its row.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (action == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        return currentIndex();
    }
    default: {
        const QModelIndex moved = QTableView::moveCursor(action, modifiers);
        if (!moved.isValid())
            return moved;
        row = moved.row();
        break;
    }
    }
    return rows->index(row, 0);
}

void ResultListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid() || !model())
        return;
    const int last = horizontalHeader()->count() - 1;
    const QRect cell = visualRect(current);
    QRect row(columnViewportPosition(0), cell.top(), 0, cell.height());
    row.setRight(columnViewportPosition(last) + columnWidth(last) - 1);
    if (!row.intersects(event->rect()))
        return;
    QStylePainter painter(viewport());
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = row;
    frame.backgroundColor = palette().color(
        selectionModel()->isSelected(current) ? QPalette::Highlight : QPalette::Base);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

} // namespace ryk
