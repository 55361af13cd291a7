#include "desktop/results/ResultListView.h"

#include "desktop/results/OperationTableModel.h"
#include "support/Entries.h"

#include <QHeaderView>
#include <gtest/gtest.h>
#include <string>

namespace ryk {
namespace {

/// The fitted widths of the action and source columns of a list of `rows` copies, all with
/// short paths but for a long one at `longRow` (none when past the end).
std::pair<int, int> fittedWidths(int rows, int longRow, int* measuredSource = nullptr) {
    const OperationCommand commands[] = {OperationCommand::Copy, OperationCommand::Update,
                                         OperationCommand::Mkdir, OperationCommand::UpAndMove};
    OperationList list;
    for (int i = 0; i < rows; ++i) {
        const std::string name = i == longRow ? std::string(400, 'n') : std::to_string(i);
        list.append(test::newEntry(commands[i % 4], "/s/" + name, 1, "/d/" + name));
    }
    OperationTableModel model(list, TransferMode::Update);
    model.reset();
    ResultListView view;
    view.setModel(&model);
    view.resize(600, 300);
    view.fitColumns();
    // Measured again in full, as the view does it outside a fit.
    const QAbstractItemView& anyView = view;
    const auto measured = [&](int column) {
        return std::max(anyView.sizeHintForColumn(column),
                        view.horizontalHeader()->sectionSizeHint(column));
    };
    EXPECT_EQ(view.columnWidth(OperationTableModel::ActionColumn),
              measured(OperationTableModel::ActionColumn));
    if (measuredSource)
        *measuredSource = measured(OperationTableModel::SourceColumn);
    return {view.columnWidth(OperationTableModel::ActionColumn),
            view.columnWidth(OperationTableModel::SourceColumn)};
}

TEST(ResultListViewTest, FittedColumnsTakeTheirWidestCellUpToTheirShareOfTheList) {
    int measured = 0;
    const int shortWidth = fittedWidths(600, 600, &measured).second;
    EXPECT_EQ(shortWidth, measured) << "short paths show whole";

    int longMeasured = 0;
    const int share = fittedWidths(600, 0, &longMeasured).second;
    EXPECT_LT(share, longMeasured) << "a long path is shortened";
    EXPECT_GT(share, shortWidth);
    // Wherever the long path is among the rows the view measures, the column is as wide.
    for (const int longRow : {1, 299, 599}) {
        SCOPED_TRACE(longRow);
        EXPECT_EQ(fittedWidths(600, longRow).second, share);
    }
}

} // namespace
} // namespace ryk
