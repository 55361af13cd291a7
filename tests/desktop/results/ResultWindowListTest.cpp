#include "ResultWindowFixture.h"
#include "desktop/progress/SearchWindow.h"
#include "desktop/results/ResultWindow.h"

#include <QTest>
#include <QWindow>
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
        {"Shift+End extends to the last row",
         Qt::Key_End,
         Qt::ShiftModifier,
         last,
         {0, 1, 2, 3, last}},
        {"Ctrl+Home moves the cursor only",
         Qt::Key_Home,
         Qt::ControlModifier,
         0,
         {0, 1, 2, 3, last}},
        {"Down", Qt::Key_Down, Qt::NoModifier, 1, {1}},
        {"Right stays on the row", Qt::Key_Right, Qt::NoModifier, 1, {1}},
        {"Ctrl+End moves the cursor only", Qt::Key_End, Qt::ControlModifier, last, {1}},
        {"Up", Qt::Key_Up, Qt::NoModifier, 3, {3}},
        {"Shift+Home extends to the first row", Qt::Key_Home, Qt::ShiftModifier, 0, {0, 1, 2, 3}},
        {"Ctrl+/ selects every row", Qt::Key_Slash, Qt::ControlModifier, 0, {0, 1, 2, 3, last}},
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

TEST_F(ResultWindowTest, AFailedRowSaysWhichFileAndWhyAndF8FindsIt) {
    tmp.writeFile("src/d.txt", "d");
    auto w = planned();
    show(*w);
    // Two sources gone, and a directory where a target is to go.
    std::filesystem::remove(source + "/b.c");
    std::filesystem::remove(source + "/d.txt");
    tmp.makeDir("dst/a.txt");
    QTest::keyClick(w->windowHandle(), Qt::Key_Return); // Enter presses 実行
    const OperationTableModel& model = w->model();
    QList<int> failed;
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.overlay(static_cast<size_t>(row)) == RowOverlay::Failed)
            failed << row;
    ASSERT_EQ(failed.size(), 3);
    const int targetFailed = failed[0]; // a.txt
    const int sourceFailed = failed[1]; // b.c

    // The whole path; the reason in the system's words only on the file that failed.
    const QString gone = QString::fromLocal8Bit(std::strerror(ENOENT));
    const QString targetReason = QString::fromStdString(errorText(
        static_cast<int>(w->job().list().at(static_cast<size_t>(targetFailed))->lastError)));
    const auto tip = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(sourceFailed, OperationTableModel::SourceColumn),
              in(source, "b.c") + "\n" + gone);
    EXPECT_EQ(tip(sourceFailed, OperationTableModel::TargetColumn), in(destination, "b.c"));
    EXPECT_EQ(tip(targetFailed, OperationTableModel::SourceColumn), in(source, "a.txt"));
    EXPECT_EQ(tip(targetFailed, OperationTableModel::TargetColumn),
              in(destination, "a.txt") + "\n" + targetReason);
    const QString sourceProblem = "失敗 元ファイル名: " + in(source, "b.c") + " (" + gone + ")";
    const QString targetProblem =
        "失敗 先ファイル名: " + in(destination, "a.txt") + " (" + targetReason + ")";
    EXPECT_EQ(tip(sourceFailed, OperationTableModel::ActionColumn), sourceProblem);
    EXPECT_EQ(tip(targetFailed, OperationTableModel::ActionColumn), targetProblem);

    // From the keyboard: F8 goes to each failed row, and the status bar says what went wrong.
    QWindow* window = w->windowHandle();
    w->view()->setFocus();
    const QString otherProblem = "失敗 元ファイル名: " + in(source, "d.txt") + " (" + gone + ")";
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        QString status;
    } steps[] = {
        {Qt::Key_Home, Qt::NoModifier, targetFailed, targetProblem},
        {Qt::Key_F8, Qt::NoModifier, sourceFailed, sourceProblem},
        {Qt::Key_F8, Qt::NoModifier, failed[2], otherProblem},
        {Qt::Key_F8, Qt::NoModifier, failed[2], otherProblem}, // none further down: it stays
        {Qt::Key_F8, Qt::ShiftModifier, sourceFailed, sourceProblem},
        // On a row that did not fail the summary shows again.
        {Qt::Key_End, Qt::NoModifier, model.rowCount() - 1, ""},
    };
    for (const auto& step : steps) {
        QTest::keyClick(window, step.key, step.modifiers);
        EXPECT_EQ(w->view()->currentIndex().row(), step.row);
        if (step.key == Qt::Key_F8) {
            EXPECT_EQ(selected(*w), QList<int>{step.row}) << "F8 selects the row it goes to";
        }
        EXPECT_EQ(w->rowStatusText(), step.status);
    }
    EXPECT_EQ(w->statusText(), "完了しました.(Error=3)");

    // Alt+Enter opens the file information of the row, as a double click does.
    QList<QList<int>> asked;
    QObject::disconnect(w.get(), &ResultWindow::fileInformationRequested, nullptr, nullptr);
    QObject::connect(w.get(), &ResultWindow::fileInformationRequested,
                     [&](const QList<int>& rows) { asked << rows; });
    QTest::keyClick(window, Qt::Key_F8, Qt::ShiftModifier);
    QTest::keyClick(window, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(asked, QList<QList<int>>{{failed[2]}});
    EXPECT_TRUE(w->isVisible()) << "Alt+Enter is no Enter for the default button";
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
