#include "ResultWindowFixture.h"
#include "engine/progress/SearchWindow.h"
#include "results/ResultWindow.h"

#include <QTest>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>

namespace ryk {
namespace {

using test::ResultWindowTest;
using test::WatchingAbortKey;

QList<int> selected(ResultWindow& w) {
    QList<int> rows;
    for (const QModelIndex& index : w.view()->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST_F(ResultWindowTest, TheListMovesFromRowToRow) {
    tmp.writeFile("src/d.txt", "d");
    auto w = planned();
    show(*w);
    QTableView* view = w->view();
    view->setFocus();
    const int last = w->model().rowCount() - 1;
    ASSERT_EQ(last, 4);
    view->setCurrentIndex(w->model().index(1, OperationTableModel::SourceColumn));

    const struct {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int current;
        QList<int> selection;
    } steps[] = {
        {"End", Qt::Key_End, Qt::NoModifier, last, {last}},
        {"Home", Qt::Key_Home, Qt::NoModifier, 0, {0}},
        {"Shift+Down extends", Qt::Key_Down, Qt::ShiftModifier, 1, {0, 1}},
        {"Shift+End extends to the last row", Qt::Key_End, Qt::ShiftModifier, last,
         {0, 1, 2, 3, last}},
        {"Ctrl+Home moves the cursor only", Qt::Key_Home, Qt::ControlModifier, 0,
         {0, 1, 2, 3, last}},
        {"Down", Qt::Key_Down, Qt::NoModifier, 1, {1}},
        {"Right stays on the row", Qt::Key_Right, Qt::NoModifier, 1, {1}},
        {"Ctrl+End moves the cursor only", Qt::Key_End, Qt::ControlModifier, last, {1}},
        {"Up", Qt::Key_Up, Qt::NoModifier, 3, {3}},
        {"Shift+Home extends to the first row", Qt::Key_Home, Qt::ShiftModifier, 0,
         {0, 1, 2, 3}},
        {"Ctrl+/ selects every row", Qt::Key_Slash, Qt::ControlModifier, 0,
         {0, 1, 2, 3, last}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        QTest::keyClick(view, step.key, step.modifiers);
        EXPECT_EQ(view->currentIndex().row(), step.current);
        EXPECT_EQ(view->currentIndex().column(), 0) << "the cursor is on a row, not a cell";
        EXPECT_EQ(selected(*w), step.selection);
    }

    // Delete removes the selected rows like D.
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(w->model().rowCount(), last);
}

TEST_F(ResultWindowTest, TheKeysStillWorkAfterRowsAreRemoved) {
    const struct {
        const char* what;
        Qt::Key key;
        std::function<bool(ResultWindow&)> worked;
    } cases[] = {
        {"Down", Qt::Key_Down, [](ResultWindow& w) { return selected(w) == QList<int>{1}; }},
        {"C", Qt::Key_C, [this](ResultWindow&) { return !messages.shown.empty(); }},
        {"Escape", Qt::Key_Escape, [](ResultWindow& w) { return !w.isVisible(); }},
        // Last: the run copies the files the next plan would list.
        {"Return", Qt::Key_Return,
         [](ResultWindow& w) { return w.statusText() == "完了しました.(Error=0)"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto w = planned();
        show(*w);
        w->view()->setFocus();
        w->view()->setCurrentIndex(w->model().index(1, 0));
        select(*w, {1});
        messages.shown.clear();
        QTest::keyClick(w->windowHandle(), Qt::Key_D);
        ASSERT_EQ(w->model().rowCount(), 3);
        // The search window showed the removal without asking the desktop for the keyboard,
        // which a desktop may hand over only once the window is hidden again.
        EXPECT_TRUE(w->searchWindow().windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
        QWindow* keyboard = QGuiApplication::focusWindow();
        ASSERT_EQ(keyboard, w->windowHandle()) << "the keyboard is back with the list";
        QTest::keyClick(keyboard, c.key);
        EXPECT_TRUE(c.worked(*w));
    }
}

TEST_F(ResultWindowTest, AFailedRowSaysWhyAndF8FindsIt) {
    tmp.writeFile("src/d.txt", "d");
    auto w = planned();
    show(*w);
    std::filesystem::remove(source + "/b.c");
    std::filesystem::remove(source + "/d.txt");
    w->runList();
    const OperationTableModel& model = w->model();
    QList<int> failed;
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.overlay(static_cast<size_t>(row)) == RowOverlay::Failed)
            failed << row;
    ASSERT_EQ(failed.size(), 2);

    // The whole path, and why it failed in the system's words.
    const QString reason = QString::fromLocal8Bit(std::strerror(ENOENT));
    const auto tip = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(failed[0], OperationTableModel::SourceColumn), in(source, "b.c") + "\n" + reason);
    EXPECT_EQ(tip(failed[0], OperationTableModel::TargetColumn),
              in(destination, "b.c") + "\n" + reason);
    EXPECT_EQ(tip(failed[0], OperationTableModel::ActionColumn), reason);
    EXPECT_EQ(tip(0, OperationTableModel::SourceColumn), in(source, "a.txt")) << "no reason";
    EXPECT_EQ(tip(0, OperationTableModel::ActionColumn), "");

    QTableView* view = w->view();
    view->setFocus();
    view->setCurrentIndex(model.index(0, 0));
    const struct {
        Qt::KeyboardModifiers modifiers;
        int row;
    } steps[] = {
        {Qt::NoModifier, failed[0]},
        {Qt::NoModifier, failed[1]},
        {Qt::NoModifier, failed[1]}, // none further down: it stays
        {Qt::ShiftModifier, failed[0]},
    };
    for (const auto& step : steps) {
        QTest::keyClick(view, Qt::Key_F8, step.modifiers);
        EXPECT_EQ(view->currentIndex().row(), step.row);
        EXPECT_EQ(selected(*w), QList<int>{step.row});
    }
}

TEST_F(ResultWindowTest, ADoubleClickDuringARunIsRefused) {
    WatchingAbortKey key;
    auto w = planned(TransferMode::Update, &key);
    show(*w);
    int asked = 0;
    // Only whether it is asked for: the information window itself would wait for the user.
    QObject::disconnect(w.get(), &ResultWindow::fileInformationRequested, nullptr, nullptr);
    QObject::connect(w.get(), &ResultWindow::fileInformationRequested, [&] { ++asked; });
    select(*w, {0});
    const auto doubleClick = [&] {
        const QRect cell = w->view()->visualRect(w->model().index(0, 1));
        QTest::mouseDClick(w->view()->viewport(), Qt::LeftButton, {}, cell.center());
    };
    bool clicked = false;
    key.watch = [&] {
        if (!std::exchange(clicked, true))
            doubleClick();
    };
    w->runList();
    key.watch = nullptr;
    EXPECT_EQ(asked, 0);
    doubleClick();
    EXPECT_EQ(asked, 1) << "after the run it is taken";
}

} // namespace
} // namespace ryk
