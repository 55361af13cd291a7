#include "desktop/results/ResultWindow.h"

#include "ResultWindowFixture.h"
#include "desktop/progress/SearchWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

namespace ryk {
namespace {

using test::ResultWindowTest;
using test::WatchingAbortKey;

bool anyResultWindow() {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (qobject_cast<ResultWindow*>(widget))
            return true;
    }
    return false;
}

TEST_F(ResultWindowTest, PlansWithTheSearchWindowShowingBeforeTheWindowIsMade) {
    WatchingAbortKey key;
    auto f = factory(TransferMode::Update, key);
    SearchWindow* searchWindow = &f->searchWindow();
    int polls = 0;
    key.watch = [&] {
        ++polls;
        EXPECT_FALSE(anyResultWindow());
        EXPECT_TRUE(searchWindow->isVisible());
        EXPECT_EQ(searchWindow->heading(), "検索中...");
        EXPECT_EQ(searchWindow->hint(), "中断するときはESCキーを押してください");
    };
    const std::unique_ptr<ResultWindow> w = f->plan();
    ASSERT_TRUE(w);
    EXPECT_GT(polls, 0);
    EXPECT_EQ(&w->searchWindow(), searchWindow) << "the window keeps the plan's search window";
    EXPECT_FALSE(searchWindow->isVisible());
    EXPECT_FALSE(w->isVisible()) << "exec shows the window, complete";
    EXPECT_EQ(w->model().rowCount(), 4);
}

TEST_F(ResultWindowTest, TheSearchWindowOfALaterStepIsCentredOverTheWindow) {
    auto w = planned();
    w->move(40, 30);
    show(*w);
    QPoint centre;
    QObject::connect(&w->model(), &QAbstractItemModel::rowsAboutToBeRemoved, [&] {
        EXPECT_TRUE(w->searchWindow().isVisible());
        centre = w->searchWindow().frameGeometry().center();
    });
    select(*w, {1});
    QTest::mouseClick(button(*w, "removeButton"), Qt::LeftButton);
    ASSERT_EQ(w->job().list().size(), 3u);
    EXPECT_LE((centre - w->frameGeometry().center()).manhattanLength(), 2)
        << centre.x() << "," << centre.y();
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
    show(*w);
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
    show(*w);
    select(*w, {1});
    const QString expected =
        "Copy \"" + in(source, "a.txt") + "\" \"" + in(destination, "a.txt") + "\"\r\n" +
        "Copy \"" + in(source, "b.c") + "\" \"" + in(destination, "b.c") + "\"\r\n" + "Mkdir \"" +
        in(destination, "sub") + "\" \r\n" + "Copy \"" + in(source, "sub/c.txt") + "\" \"" +
        in(destination, "sub/c.txt") + "\"\r\n";
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(w->view(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"現在のリストをクリップボードにコピーしました。"});
    EXPECT_EQ(w->job().list().size(), 4u);
}

TEST_F(ResultWindowTest, EachKeyActsWithOrWithoutShiftAndCtrlWhereverTheFocusIs) {
    const struct {
        const char* label;
        Qt::KeyboardModifiers modifiers;
        bool acts;
    } cases[] = {{"plain", Qt::NoModifier, true},
                 {"Shift", Qt::ShiftModifier, true},
                 {"Ctrl", Qt::ControlModifier, true},
                 {"Ctrl+Shift", Qt::ControlModifier | Qt::ShiftModifier, true},
                 {"Alt", Qt::AltModifier, false}};
    for (const auto& c : cases) {
        auto w = planned();
        show(*w);
        // Only the request is looked at here; the window it opens has tests of its own.
        QObject::disconnect(w.get(), &ResultWindow::attributeChangeRequested, nullptr, nullptr);
        QSignalSpy attributes(w.get(), &ResultWindow::attributeChangeRequested);
        select(*w, {3, 1});
        QTest::keyClick(button(*w, "closeButton"), Qt::Key_A, c.modifiers);
        ASSERT_EQ(attributes.count(), c.acts ? 1 : 0) << c.label;
        if (c.acts) {
            EXPECT_EQ(attributes.front().front().value<QList<int>>(), (QList<int>{1, 3}));
        }

        QGuiApplication::clipboard()->setText("before");
        messages.shown.clear();
        QTest::keyClick(w->view(), Qt::Key_C, c.modifiers);
        EXPECT_EQ(QGuiApplication::clipboard()->text().startsWith("Copy \""), c.acts) << c.label;
        EXPECT_EQ(messages.shown.size(), c.acts ? 1u : 0u) << c.label;

        QTest::keyClick(w->view(), Qt::Key_D, c.modifiers);
        EXPECT_EQ(w->job().list().size(), c.acts ? 2u : 4u) << c.label;
        EXPECT_TRUE(w->isVisible()) << c.label << ": a key on the close button does not close";
    }
}

TEST_F(ResultWindowTest, TheAttributeButtonAsksForTheSelectedRows) {
    auto w = planned();
    show(*w);
    QObject::disconnect(w.get(), &ResultWindow::attributeChangeRequested, nullptr, nullptr);
    QSignalSpy asked(w.get(), &ResultWindow::attributeChangeRequested);
    QTest::mouseClick(button(*w, "attributeButton"), Qt::LeftButton);
    select(*w, {2});
    QTest::mouseClick(button(*w, "attributeButton"), Qt::LeftButton);
    ASSERT_EQ(asked.count(), 2);
    EXPECT_EQ(asked.at(0).front().value<QList<int>>(), QList<int>{}) << "none selected";
    EXPECT_EQ(asked.at(1).front().value<QList<int>>(), QList<int>{2});
}

TEST_F(ResultWindowTest, ATextFieldKeepsTheLettersTypedIntoIt) {
    auto w = planned();
    auto* field = new QLineEdit(w.get());
    w->layout()->addWidget(field);
    show(*w);
    select(*w, {0});
    QSignalSpy attributes(w.get(), &ResultWindow::attributeChangeRequested);
    QSignalSpy copies(w.get(), &ResultWindow::copyListRequested);
    field->setFocus();
    QTest::keyClicks(field, "dcaDCA");
    EXPECT_EQ(field->text(), "dcaDCA");
    EXPECT_EQ(attributes.count(), 0);
    EXPECT_EQ(copies.count(), 0);
    EXPECT_EQ(w->job().list().size(), 4u);
}

TEST_F(ResultWindowTest, DoubleClickAsksForTheSelectedRowsInformation) {
    auto w = planned();
    show(*w);
    // Only the request is looked at here; the windows it opens have tests of their own.
    QObject::disconnect(w.get(), &ResultWindow::fileInformationRequested, nullptr, nullptr);
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
        auto w = planned();
        bool wasShown = false;
        int result = -1;
        test::answerWhileActing([&] { result = w->exec(); }, [&] { return w.get(); },
                                [&](QWidget&) {
                                    wasShown = w->model().rowCount() == 4;
                                    way.close(*w);
                                });
        EXPECT_EQ(result, QDialog::Rejected) << way.label;
        EXPECT_TRUE(wasShown) << way.label;
        EXPECT_TRUE(w->job().list().empty()) << way.label;
        EXPECT_EQ(w->model().rowCount(), 0) << way.label;
        EXPECT_FALSE(w->isVisible()) << way.label;
        EXPECT_FALSE(w->searchWindow().isVisible()) << way.label;
        EXPECT_EQ(w->job().focusField(), JobField::None) << way.label;
    }
}

TEST_F(ResultWindowTest, AnEmptyPlanOpensAnEmptyList) {
    std::filesystem::remove_all(source);
    tmp.makeDir("src");
    auto w = planned();
    EXPECT_EQ(w->model().rowCount(), 0);
    EXPECT_FALSE(button(*w, "attributeButton")->isEnabled());
    EXPECT_TRUE(w->statusText().startsWith("[OK.]cmd=0,")) << w->statusText().toStdString();

    show(*w);
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(w->view(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_TRUE(messages.shown.empty());

    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_FALSE(button(*w, "runButton")->isEnabled());
}

TEST_F(ResultWindowTest, AnAbandonedPlanMakesNoWindow) {
    /// Stops the scan once it has planned something, which must not survive.
    class StopOncePlanned : public AbortKey {
    public:
        AbortKeyEvent poll() override {
            return job && !job->list().empty() ? AbortKeyEvent::ControlDown : AbortKeyEvent::None;
        }
        const TransferJob* job = nullptr;
    } key;
    auto f = factory(TransferMode::Update, key);
    key.job = &f->job();
    EXPECT_EQ(f->plan(), nullptr);
    EXPECT_FALSE(anyResultWindow());
    EXPECT_TRUE(f->job().list().empty());
    EXPECT_EQ(f->job().focusField(), JobField::None);
    EXPECT_FALSE(f->searchWindow().isVisible());
}

} // namespace
} // namespace ryk
