#include "results/ResultWindow.h"

#include "ModelTester.h"
#include "engine/progress/SearchWindow.h"
#include "results/OperationTableModel.h"
#include "support/EngineFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace ryk {
namespace {

/// Looks at the windows whenever the plan polls the keyboard.
class WatchingAbortKey : public AbortKey {
public:
    AbortKeyEvent poll() override {
        if (watch)
            watch();
        return AbortKeyEvent::None;
    }
    std::function<void()> watch;
};

class ResultWindowTest : public test::EngineTest {
protected:
    ResultWindowTest() {
        source = tmp.makeDir("src");
        destination = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "aaa");
        tmp.writeFile("src/b.c", "bbbbb");
        tmp.writeFile("src/sub/c.txt", "ccccccc");
    }

    /// A window with its job set up; the plan has not run yet.
    std::unique_ptr<ResultWindow> window(TransferMode mode, AbortKey& key) {
        auto w = std::make_unique<ResultWindow>(Platform{fileSystem, messages, key});
        OptionFlags flags;
        flags.subdirectories = 1;
        w->job().SetJob(mode, flags, DateTime());
        EXPECT_TRUE(w->job().SetPaths(source, "*.*", "", destination, "*.*"));
        return w;
    }
    std::unique_ptr<ResultWindow> planned(TransferMode mode = TransferMode::Update) {
        auto w = window(mode, keys);
        EXPECT_TRUE(w->planAndFill());
        return w;
    }

    static QPushButton* button(ResultWindow& w, const char* name) {
        return w.findChild<QPushButton*>(name);
    }
    static QStringList column(ResultWindow& w, int column) {
        QStringList texts;
        const OperationTableModel& model = w.model();
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.data(model.index(row, column)).toString();
        return texts;
    }
    static void select(ResultWindow& w, std::initializer_list<int> rows) {
        for (const int row : rows)
            w.view()->selectionModel()->select(
                w.model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString in(const std::string& dir, const char* name) const {
        return QString::fromStdString(dir + "/" + name);
    }

    std::string source;
    std::string destination;
};

TEST_F(ResultWindowTest, PlansWhileHiddenWithTheSearchWindowShowing) {
    WatchingAbortKey key;
    auto w = window(TransferMode::Update, key);
    int polls = 0;
    key.watch = [&] {
        ++polls;
        EXPECT_FALSE(w->isVisible());
        EXPECT_TRUE(w->searchWindow().isVisible());
        EXPECT_EQ(w->searchWindow().heading(), "検索中...");
        EXPECT_EQ(w->searchWindow().hint(), "中断するときはESCキーを押してください");
        EXPECT_FALSE(button(*w, "runButton")->isEnabled());
        EXPECT_FALSE(button(*w, "closeButton")->isEnabled());
    };
    ASSERT_TRUE(w->planAndFill());
    EXPECT_GT(polls, 0);
    EXPECT_FALSE(w->searchWindow().isVisible());
    EXPECT_FALSE(w->isVisible()) << "exec shows the window, complete";
}

TEST_F(ResultWindowTest, ShowsOneRowPerPlannedEntryWithTheSummary) {
    auto w = planned();
    ASSERT_EQ(w->model().rowCount(), 4);
    EXPECT_EQ(column(*w, 0), (QStringList{"Copy", "Copy", "Mkdir", "Copy"}));
    EXPECT_EQ(column(*w, 1), (QStringList{in(source, "a.txt"), in(source, "b.c"),
                                          in(destination, "sub"), in(source, "sub/c.txt")}));
    EXPECT_EQ(column(*w, 2), (QStringList{in(destination, "a.txt"), in(destination, "b.c"), "",
                                          in(destination, "sub/c.txt")}));
    const int longestSource = w->view()->fontMetrics().horizontalAdvance(in(source, "sub/c.txt"));
    EXPECT_GT(w->view()->columnWidth(1), longestSource) << "short paths show whole";
    EXPECT_EQ(w->model().totals().totalBytes, 15u);
    EXPECT_EQ(w->model().totals().neededBytes, 15);
    // The free space between the two may change while the test runs.
    EXPECT_TRUE(w->statusText().startsWith("[OK.]cmd=4, need=15 bytes. dest="))
        << w->statusText().toStdString();
    EXPECT_TRUE(w->statusText().endsWith(" (all=15 bytes.)")) << w->statusText().toStdString();

    const QImage copy =
        w->model().data(w->model().index(0, 0), Qt::DecorationRole).value<QPixmap>().toImage();
    const QImage mkdir =
        w->model().data(w->model().index(2, 0), Qt::DecorationRole).value<QPixmap>().toImage();
    EXPECT_FALSE(copy.isNull());
    EXPECT_NE(copy, mkdir);

    EXPECT_FALSE(button(*w, "removeButton")->isEnabled());
    EXPECT_TRUE(button(*w, "attributeButton")->isEnabled());
    EXPECT_TRUE(button(*w, "runButton")->isEnabled());
    EXPECT_TRUE(button(*w, "runButton")->isDefault());
    EXPECT_FALSE(w->view()->isSortingEnabled());
    EXPECT_EQ(w->view()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(w->view()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w->windowTitle(), "テスト結果");
}

TEST_F(ResultWindowTest, ColumnsAndButtonsFollowTheMode) {
    const struct {
        TransferMode mode;
        int columns;
        bool runEnabled;
    } cases[] = {{TransferMode::Update, 3, true},
                 {TransferMode::Search, 2, false},
                 {TransferMode::Delete, 2, true}};
    for (const auto& c : cases) {
        auto w = planned(c.mode);
        EXPECT_EQ(w->model().columnCount(), c.columns) << modeName(c.mode);
        EXPECT_EQ(w->view()->horizontalHeader()->count(), c.columns);
        EXPECT_EQ(button(*w, "runButton")->isEnabled(), c.runEnabled) << modeName(c.mode);
        EXPECT_EQ(button(*w, "closeButton")->isDefault(), !c.runEnabled) << modeName(c.mode);
        EXPECT_EQ(button(*w, "runButton")->isDefault(), c.runEnabled) << modeName(c.mode);
        w->reject();
    }
}

TEST_F(ResultWindowTest, RemovingSelectedRowsRemovesTheirEntries) {
    auto w = planned();
    w->show();
    QTest::keyClick(w->view(), Qt::Key_D);
    EXPECT_EQ(w->job().list().size(), 4u) << "nothing selected: nothing removed";

    select(*w, {0, 2});
    EXPECT_TRUE(button(*w, "removeButton")->isEnabled());
    QTest::keyClick(w->view(), Qt::Key_D);
    ASSERT_EQ(w->job().list().size(), 2u);
    EXPECT_EQ(w->job().list().at(0)->source.path, source + "/b.c");
    EXPECT_EQ(w->job().list().at(1)->source.path, source + "/sub/c.txt");
    EXPECT_EQ(column(*w, 0), (QStringList{"Copy", "Copy"}));
    EXPECT_EQ(w->model().totals().totalBytes, 12u);
    EXPECT_TRUE(w->statusText().startsWith("[OK.]cmd=2,")) << w->statusText().toStdString();

    select(*w, {0, 1});
    QTest::mouseClick(button(*w, "removeButton"), Qt::LeftButton);
    EXPECT_TRUE(w->job().list().empty());
    EXPECT_EQ(w->model().totals().totalBytes, 0u);
    EXPECT_TRUE(w->statusText().startsWith("[OK.]cmd=0,")) << w->statusText().toStdString();
}

TEST_F(ResultWindowTest, CopiesTheWholeListToTheClipboard) {
    auto w = planned();
    w->show();
    select(*w, {1});
    const QString expected =
        "Copy \"" + in(source, "a.txt") + "\" \"" + in(destination, "a.txt") + "\"\r\n" +
        "Copy \"" + in(source, "b.c") + "\" \"" + in(destination, "b.c") + "\"\r\n" + "Mkdir \"" +
        in(destination, "sub") + "\" \r\n" + "Copy \"" + in(source, "sub/c.txt") + "\" \"" +
        in(destination, "sub/c.txt") + "\"\r\n";
    const struct {
        const char* label;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {"C", Qt::NoModifier}, {"Ctrl+C", Qt::ControlModifier}, {"Shift+C", Qt::ShiftModifier}};
    for (const auto& k : keys) {
        QGuiApplication::clipboard()->setText("before");
        messages.shown.clear();
        QTest::keyClick(w->view(), Qt::Key_C, k.modifiers);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), expected) << k.label;
        EXPECT_EQ(messages.texts(),
                  std::vector<std::string>{"現在のリストをクリップボードにコピーしました。"})
            << k.label;
    }
    EXPECT_EQ(w->job().list().size(), 4u);
}

TEST_F(ResultWindowTest, KeyAAndItsButtonAskForTheAttributeChange) {
    auto w = planned();
    w->show();
    QSignalSpy asked(w.get(), &ResultWindow::attributeChangeRequested);
    QTest::keyClick(w->view(), Qt::Key_A);
    QTest::keyClick(button(*w, "closeButton"), Qt::Key_A, Qt::ShiftModifier);
    QTest::mouseClick(button(*w, "attributeButton"), Qt::LeftButton);
    EXPECT_EQ(asked.count(), 3);
    EXPECT_TRUE(w->isVisible()) << "A on the close button does not close";
}

TEST_F(ResultWindowTest, DoubleClickAsksForTheSelectedRowsInformation) {
    auto w = planned();
    w->show();
    QSignalSpy asked(w.get(), &ResultWindow::fileInformationRequested);
    const QPoint cell = w->view()->visualRect(w->model().index(1, 1)).center();
    QTest::mouseClick(w->view()->viewport(), Qt::LeftButton, {}, cell);
    select(*w, {3});
    QTest::mouseDClick(w->view()->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.front().front().value<QList<int>>(), (QList<int>{1, 3}));

    w->view()->clearSelection();
    QTest::mouseDClick(w->view()->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(asked.count(), 1) << "nothing selected: no information";
}

TEST_F(ResultWindowTest, RunMarksEveryRowAndCopiesTheFiles) {
    auto w = planned();
    w->show();
    test::ModelChecker checker(&w->model());
    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);

    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(w->model().overlay(static_cast<size_t>(row)), RowOverlay::Done) << row;
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_EQ(tmp.readFile("dst/a.txt"), "aaa");
    EXPECT_EQ(tmp.readFile("dst/b.c"), "bbbbb");
    EXPECT_EQ(tmp.readFile("dst/sub/c.txt"), "ccccccc");

    EXPECT_FALSE(button(*w, "runButton")->isEnabled());
    EXPECT_FALSE(button(*w, "removeButton")->isEnabled());
    EXPECT_TRUE(button(*w, "closeButton")->isEnabled());
    EXPECT_TRUE(button(*w, "closeButton")->isDefault());
    EXPECT_TRUE(button(*w, "attributeButton")->isEnabled());

    // The keys do not look at the buttons: D still removes.
    select(*w, {0});
    QTest::keyClick(w->view(), Qt::Key_D);
    EXPECT_EQ(w->job().list().size(), 3u);
    EXPECT_TRUE(checker.complaints().isEmpty()) << checker.complaints().join('\n').toStdString();
}

TEST_F(ResultWindowTest, RunShowsWhichEntryIsBeingCarriedOut) {
    WatchingAbortKey key;
    auto w = window(TransferMode::Update, key);
    ASSERT_TRUE(w->planAndFill());
    w->show();
    QStringList statuses;
    std::vector<RowOverlay> firstRow;
    key.watch = [&] {
        statuses << w->statusText();
        firstRow.push_back(w->model().overlay(0));
        EXPECT_FALSE(button(*w, "closeButton")->isEnabled());
    };
    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    EXPECT_TRUE(statuses.contains("0 / 4 (Error=0) 中止はESCキーを押してください..."))
        << statuses.join('\n').toStdString();
    EXPECT_NE(std::find(firstRow.begin(), firstRow.end(), RowOverlay::Running), firstRow.end());
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
}

TEST_F(ResultWindowTest, AFailedEntryIsMarkedAndCounted) {
    auto w = planned();
    std::filesystem::remove(source + "/b.c");
    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    EXPECT_EQ(w->model().overlay(0), RowOverlay::Done);
    EXPECT_EQ(w->model().overlay(1), RowOverlay::Failed);
    EXPECT_EQ(w->model().overlay(3), RowOverlay::Done);
    EXPECT_EQ(w->statusText(), "完了しました.(Error=1)");
}

TEST_F(ResultWindowTest, AStoppedRunGoesOnWithThePendingEntries) {
    auto w = planned();
    keys.polls = 0;
    keys.quietPolls = 1;
    keys.events = {AbortKeyEvent::ControlDown};
    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);

    EXPECT_EQ(w->model().overlay(3), RowOverlay::None) << "the last entry was not reached";
    EXPECT_EQ(w->job().list().at(3)->state, kStatePending);
    EXPECT_TRUE(button(*w, "runButton")->isEnabled());
    EXPECT_TRUE(button(*w, "removeButton")->isEnabled());
    EXPECT_TRUE(w->statusText().startsWith("完了しました."));

    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(w->model().overlay(static_cast<size_t>(row)), RowOverlay::Done) << row;
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_FALSE(button(*w, "runButton")->isEnabled());
}

TEST_F(ResultWindowTest, ClosingEmptiesTheList) {
    const struct {
        const char* label;
        std::function<void(ResultWindow&)> close;
    } ways[] = {
        {"Escape", [](ResultWindow& w) { QTest::keyClick(w.view(), Qt::Key_Escape); }},
        {"close button",
         [](ResultWindow& w) { QTest::mouseClick(button(w, "closeButton"), Qt::LeftButton); }},
    };
    for (const auto& way : ways) {
        auto w = window(TransferMode::Update, keys);
        bool wasShown = false;
        std::function<void()> closeWhenShown = [&] {
            if (!w->isVisible())
                return QTimer::singleShot(5, closeWhenShown);
            wasShown = w->model().rowCount() == 4;
            way.close(*w);
        };
        QTimer::singleShot(0, closeWhenShown);
        EXPECT_EQ(w->exec(), QDialog::Rejected) << way.label;
        EXPECT_TRUE(wasShown) << way.label;
        EXPECT_TRUE(w->job().list().empty()) << way.label;
        EXPECT_EQ(w->model().rowCount(), 0) << way.label;
        EXPECT_FALSE(w->isVisible()) << way.label;
        EXPECT_FALSE(w->searchWindow().isVisible()) << way.label;
        EXPECT_EQ(w->job().focusControl(), kFocusNone) << way.label;
    }
}

TEST_F(ResultWindowTest, AnEmptyPlanOpensAnEmptyList) {
    std::filesystem::remove_all(source);
    tmp.makeDir("src");
    auto w = planned();
    EXPECT_EQ(w->model().rowCount(), 0);
    EXPECT_FALSE(button(*w, "attributeButton")->isEnabled());
    EXPECT_TRUE(w->statusText().startsWith("[OK.]cmd=0,")) << w->statusText().toStdString();

    w->show();
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(w->view(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_TRUE(messages.shown.empty());

    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_FALSE(button(*w, "runButton")->isEnabled());
}

TEST_F(ResultWindowTest, AnAbandonedPlanNeverShowsTheWindow) {
    auto w = window(TransferMode::Update, keys);
    keys.events = {AbortKeyEvent::ControlDown};
    EXPECT_EQ(w->exec(), QDialog::Rejected);
    EXPECT_TRUE(w->job().list().empty());
    EXPECT_EQ(w->model().rowCount(), 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->searchWindow().isVisible());
}

} // namespace
} // namespace ryk
