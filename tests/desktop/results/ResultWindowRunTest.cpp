#include "ModelTester.h"
#include "ResultWindowFixture.h"
#include "desktop/results/ResultWindow.h"

#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace ryk {
namespace {

using test::ResultWindowTest;
using test::WatchingAbortKey;

TEST_F(ResultWindowTest, RunMarksEveryRowAndCopiesTheFiles) {
    auto w = planned();
    show(*w);
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
    auto w = planned(TransferMode::Update, &key);
    show(*w);
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
    EXPECT_TRUE(w->statusText().startsWith("中断しました.(Error=0, 未実行="))
        << "a stopped run is not complete: " << w->statusText().toStdString();

    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(w->model().overlay(static_cast<size_t>(row)), RowOverlay::Done) << row;
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_FALSE(button(*w, "runButton")->isEnabled());
}

TEST_F(ResultWindowTest, DuringARunTheScreenShowsTheRowsAsTheyAre) {
    // Enough small files for the run to scroll the list many times.
    for (int i = 0; i < 150; ++i)
        tmp.writeFile("src/many/f" + std::to_string(1000 + i) + ".txt", "x");
    WatchingAbortKey key;
    auto w = planned(TransferMode::Update, &key);
    show(*w);
    test::ModelChecker checker(&w->model());
    int changes = 0;
    QObject::connect(&w->model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    QWidget* rows = w->view()->viewport();
    int looks = 0;
    int differing = 0;
    key.watch = [&] {
        // As the desktop's poll does; then what is still to be drawn is drawn. A row that
        // changed without telling the view, or outside the rows it told of, would now differ
        // from a fresh drawing of the rows.
        QCoreApplication::processEvents();
        if (++looks % 3 != 0)
            return; // a look at every third poll is enough, and quicker
        QCoreApplication::sendPostedEvents(w.get(), QEvent::UpdateRequest);
        const QPoint at = rows->mapTo(w.get(), QPoint());
        const QImage onScreen =
            w->screen()
                ->grabWindow(w->winId(), at.x(), at.y(), rows->width(), rows->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        const QImage asTheyAre = rows->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (onScreen != asTheyAre)
            ++differing;
    };
    QTest::keyClick(w->windowHandle(), Qt::Key_Return); // Enter presses 実行

    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_GT(looks, 150);
    EXPECT_EQ(differing, 0) << "of " << looks / 3 << " looks at the screen";
    // The rows' marks reach the list in batches (ten a second), not two changes for every
    // entry; a slow machine makes more batches, but still fewer than one for each row.
    EXPECT_LT(changes, w->model().rowCount());
    for (int row = 0; row < w->model().rowCount(); ++row)
        ASSERT_EQ(w->model().overlay(static_cast<size_t>(row)), RowOverlay::Done) << row;
    EXPECT_TRUE(checker.complaints().isEmpty()) << checker.complaints().join('\n').toStdString();
}

} // namespace
} // namespace ryk
