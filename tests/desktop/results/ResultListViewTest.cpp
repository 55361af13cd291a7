#include "desktop/results/ResultListView.h"

#include "desktop/results/OperationTableModel.h"
#include "support/Entries.h"

#include <QHeaderView>
#include <gtest/gtest.h>
#include <string>

namespace ryk {
namespace {

/// Fits a list of 600 lines of four commands, the paths short but at `longRow`, and checks the
/// action column against Qt's own measure of it; the source column's width, and Qt's measure.
std::pair<int, int> fittedSource(int longRow) {
    const OperationCommand commands[] = {OperationCommand::Copy, OperationCommand::Update,
                                         OperationCommand::Mkdir, OperationCommand::UpAndMove};
    OperationList list;
    for (int i = 0; i < 600; ++i) {
        const std::string name = i == longRow ? std::string(400, 'n') : std::to_string(i);
        list.append(test::makeEntry(commands[i % 4], "/s/" + name, 1, "/d/" + name));
    }
    OperationTableModel model(list, TransferMode::Update);
    model.reset();
    ResultListView view;
    view.setModel(&model);
    view.resize(600, 300);
    view.fitColumns();
    const QAbstractItemView& measuring = view; // outside a fit, every row measured
    const auto measured = [&](int column) {
        return std::max(measuring.sizeHintForColumn(column),
                        view.horizontalHeader()->sectionSizeHint(column));
    };
    EXPECT_EQ(view.columnWidth(0), measured(0));
    return {view.columnWidth(1), measured(1)};
}

TEST(ResultListViewTest, FittedColumnsTakeTheirWidestCellUpToTheirShareOfTheList) {
    const auto [shortWidth, shortMeasured] = fittedSource(-1);
    EXPECT_EQ(shortWidth, shortMeasured) << "short paths show whole";
    const auto [share, longMeasured] = fittedSource(0);
    EXPECT_LT(share, longMeasured) << "a long path is shortened";
    EXPECT_GT(share, shortWidth);
    for (const int longRow : {1, 599}) // wherever it is among the rows measured
        EXPECT_EQ(fittedSource(longRow).first, share) << longRow;
}

} // namespace
} // namespace ryk
