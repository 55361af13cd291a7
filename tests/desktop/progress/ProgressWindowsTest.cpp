#include "desktop/progress/CompactPath.h"
#include "desktop/progress/CopyProgressWindow.h"
#include "desktop/progress/SearchWindow.h"
#include "engine/OperationEntry.h"
#include "platform/qt/QtBatchProgress.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressDialog>
#include <QScreen>
#include <QTest>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace ryk {
namespace {

TEST(CompactPathTest, ShortensInTheMiddleAndKeepsTheFileName) {
    const QFontMetrics metrics(QApplication::font());
    const QString name = QStringLiteral("report.txt");
    const QString deep = QStringLiteral("/home/user/projects/archive/2004/february/") + name;
    const int nameWidth = metrics.horizontalAdvance(QStringLiteral("/report.txt"));
    const struct {
        const char* label;
        QString path;
        int width;
        bool unchanged;
        bool keepsName;
        bool keepsStart;
    } cases[] = {
        {"fits", deep, metrics.horizontalAdvance(deep), true, true, true},
        {"one pixel short", deep, metrics.horizontalAdvance(deep) - 1, false, true, true},
        {"room for little more than the name", deep,
         nameWidth + 2 * metrics.horizontalAdvance(kEllipsis), false, true, false},
        {"name alone too wide", deep, nameWidth / 2, false, false, false},
        {"no directory part", QStringLiteral("a-very-long-file-name-without-any-directory.txt"), 60,
         false, false, false},
    };
    for (const auto& c : cases) {
        const QString shown = compactPath(c.path, metrics, c.width);
        EXPECT_LE(metrics.horizontalAdvance(shown), c.width) << c.label;
        if (c.unchanged) {
            EXPECT_EQ(shown, c.path) << c.label;
            continue;
        }
        EXPECT_TRUE(shown.contains(kEllipsis)) << c.label << ": " << shown.toStdString();
        EXPECT_EQ(shown.endsWith(QStringLiteral("/") + name), c.keepsName) << c.label;
        EXPECT_EQ(shown.startsWith(QStringLiteral("/home/")), c.keepsStart) << c.label;
    }
}

TEST(CompactPathTest, UsesFourFifthsOfTheLine) {
    QLabel label;
    label.setContentsMargins(0, 0, 0, 0);
    label.resize(500, 20);
    const QString path = QStringLiteral("/srv/data/") + QString(60, u'x') + QStringLiteral("/f");
    const int width = label.fontMetrics().horizontalAdvance(path);
    ASSERT_LT(width, 500 * 2) << "the test path must not be absurdly wide";
    label.resize(width * 9 / 8, 20); // fits the line, not four fifths of it
    CompactPathToControl(path, &label);
    EXPECT_NE(label.text(), path);
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), label.width() * 4 / 5);
    CompactPathToControl(path, nullptr); // no control: nothing happens
}

TEST(CompactPathTest, KeepsTheLastComponentWholeWithOneEllipsis) {
    const QFontMetrics metrics(QApplication::font());
    const QString longName = QString(200, u'n') + QStringLiteral(".tar.gz");
    const struct {
        const char* label;
        QString path;
        int width;
        QString ending; ///< what the shortened path ends with
    } cases[] = {
        {"the name fits behind the beginning", QStringLiteral("/srv/a/b/c/d/e/f/g/h/report.txt"),
         metrics.horizontalAdvance(QStringLiteral("/srv/a\u2026/report.txt")),
         QStringLiteral("\u2026/report.txt")},
        {"a Japanese name is kept whole", QStringLiteral("/データ/とても/長い/フォルダ/報告書.txt"),
         metrics.horizontalAdvance(QStringLiteral("/デ\u2026/報告書.txt")),
         QStringLiteral("\u2026/報告書.txt")},
        {"a trailing slash belongs to the last component", QStringLiteral("/srv/aaaa/bbbb/dir/"),
         metrics.horizontalAdvance(QStringLiteral("/s\u2026/dir/")), QStringLiteral("/dir/")},
        {"a very long last component keeps its end", QStringLiteral("/srv/") + longName,
         metrics.horizontalAdvance(QStringLiteral("/srv/nnnnnnnnnn.tar.gz")),
         QStringLiteral("n.tar.gz")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QString shown = compactPath(c.path, metrics, c.width);
        EXPECT_LE(metrics.horizontalAdvance(shown), c.width) << shown.toStdString();
        EXPECT_EQ(shown.count(kEllipsis), 1) << shown.toStdString();
        EXPECT_FALSE(shown.contains(QStringLiteral("..."))) << "one kind of ellipsis only";
        EXPECT_TRUE(shown.endsWith(c.ending)) << shown.toStdString();
        EXPECT_EQ(shown.front(), u'/') << "the beginning stays";
    }
}

TEST(CompactPathTest, KeepsAsMuchOfThePathAsFits) {
    const QFontMetrics metrics(QApplication::font());
    // One character is one grapheme here; without a name kept, the beginning gets the odd one.
    for (const QString& path : {QStringLiteral("/home/user/Projects/2004/février/report.txt"),
                                QStringLiteral("/データ/とても長い/フォルダ/写真/報告書.txt"),
                                QStringLiteral("a-very-long-file-name-without-WAVY-directory")}) {
        SCOPED_TRACE(path.toStdString());
        const bool keepsName = path.contains(u'/');
        const QString least = kEllipsis + (keepsName ? path.mid(path.lastIndexOf(u'/')) : "ab");
        for (int width = metrics.horizontalAdvance(least); width < metrics.horizontalAdvance(path);
             width += 3) {
            const QString shown = compactPath(path, metrics, width);
            ASSERT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
            const qsizetype front = shown.indexOf(kEllipsis);
            const qsizetype back = shown.size() - front - 1;
            const bool frontGrows = keepsName || front == back;
            const QString more =
                path.left(front + frontGrows) + kEllipsis + path.right(back + !frontGrows);
            EXPECT_GT(metrics.horizontalAdvance(more), width) << "one more character fits";
        }
    }
}

TEST(CompactPathTest, ProgressLinesHaveTheWholePathAsTooltip) {
    SearchWindow search;
    const std::string path = "/data/" + std::string(300, 'd') + "/last-name.dat";
    search.showDetailPath(path);
    const QLabel* detail = search.findChild<QLabel*>("detailLabel");
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->toolTip().toStdString(), path);
    EXPECT_NE(detail->text().toStdString(), path);
    search.showDetail(QStringLiteral("1/2"));
    EXPECT_EQ(detail->toolTip(), "") << "a counter is no path";

    CopyProgressWindow copy;
    copy.showTargetPath(path);
    EXPECT_EQ(copy.findChild<QLabel*>("targetLabel")->toolTip().toStdString(), path);
}

TEST(CopyProgressWindowTest, ShowsTheRunsOverallProgress) {
    CopyProgressWindow window;
    OperationEntry big;
    big.setCommand(OperationCommand::Copy);
    big.source.size = 192 * 1024;
    OperationEntry small;
    small.setCommand(OperationCommand::Copy);
    small.source.size = 64 * 1024;
    window.beginRun({0, 2, 0, 256 * 1024});

    // Hidden until the first large file: then it shows how far the run has come.
    window.entryStarting(big);
    window.setRange(big.source.size);
    window.setVisible(true);
    EXPECT_TRUE(window.overallText().startsWith(QStringLiteral("0/2 件  0 B/256.0 KiB  0%")))
        << window.overallText().toStdString();
    QTest::qWait(110); // the lines follow at most ten times a second
    window.setPosition(128 * 1024);
    // Each entry weighs as 64 KiB of the work besides its bytes: 128 KiB of 384 KiB.
    EXPECT_TRUE(window.overallText().startsWith(QStringLiteral("0/2 件  128.0 KiB/256.0 KiB  33%")))
        << window.overallText().toStdString();
    EXPECT_EQ(window.overallValue(), 333);
    window.entryFinished(big, EntryOutcome::Done);
    window.entryStarting(small);
    QTest::qWait(110);
    window.entryFinished(small, EntryOutcome::Done);
    EXPECT_TRUE(
        window.overallText().startsWith(QStringLiteral("2/2 件  256.0 KiB/256.0 KiB  100%")))
        << window.overallText().toStdString();
    EXPECT_TRUE(window.overallText().endsWith(QStringLiteral("残り 0:00")));
    EXPECT_EQ(window.overallValue(), 1000);
}

TEST(SearchWindowTest, ShowsAStepAndThePathsOfIt) {
    SearchWindow window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(window.isVisible());

    window.begin(QStringLiteral("検索中..."),
                 QStringLiteral("中断するときはESCキーを押してください"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.heading(), "検索中...");
    EXPECT_EQ(window.hint(), "中断するときはESCキーを押してください");
    EXPECT_EQ(window.detail(), "");

    const std::string longPath = "/data/" + std::string(300, 'd') + "/last-name.dat";
    window.showDetailPath(longPath);
    EXPECT_TRUE(window.detail().endsWith("/last-name.dat")) << window.detail().toStdString();
    EXPECT_TRUE(window.detail().contains(kEllipsis));
    window.showDetailPath("/tmp/x");
    EXPECT_EQ(window.detail(), "/tmp/x");
    // A scan's paths go onto the line when it looks at the input.
    window.showDetailPath("/tmp/y");
    window.showDetailPath("/tmp/z");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.findChild<QLabel*>("detailLabel")->text(), "/tmp/z");

    window.begin(QStringLiteral("リストに登録中..."), QStringLiteral("しばらくお待ちください"));
    EXPECT_EQ(window.detail(), "") << "a new step starts with an empty detail line";
    window.end();
    EXPECT_FALSE(window.isVisible());
}

TEST(SearchWindowTest, ACounterIsPaintedAtOnceAndAFastOneAsOftenAsItCanBeRead) {
    SearchWindow window;
    window.begin(QStringLiteral("リストに登録中..."), QStringLiteral("しばらくお待ちください"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto shown = [&] { return window.screen()->grabWindow(window.winId()).toImage(); };
    window.showDetail(QStringLiteral("256/1000"));
    const QImage first = shown();
    window.showDetail(QStringLiteral("512/1000"));
    EXPECT_EQ(shown(), first) << "a moment later";
    EXPECT_EQ(window.detail(), "512/1000");
    QTest::qSleep(40);
    window.showDetail(QStringLiteral("768/1000"));
    const QImage later = shown();
    EXPECT_NE(later, first);
    window.setHeading(QStringLiteral("ポインタリストを削除中..."));
    const QImage headed = shown();
    window.showDetail(QStringLiteral("1/1"));
    EXPECT_NE(shown(), headed) << "the first counter of a step";
    window.end();
}

TEST(CopyProgressWindowTest, BarFollowsAnySizeOfFile) {
    constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
    constexpr int kMaxInt = std::numeric_limits<int>::max();
    const struct {
        const char* label;
        uint64_t total;
        uint64_t done;
        double share;
    } cases[] = {
        {"small file", 1000, 250, 0.25},
        {"empty file", 0, 0, 0.0},
        {"exactly the bar's range", uint64_t(kMaxInt), uint64_t(kMaxInt), 1.0},
        {"just above the bar's range", uint64_t(kMaxInt) + 1, (uint64_t(kMaxInt) + 1) / 2, 0.5},
        {"a terabyte", uint64_t(1) << 40, uint64_t(3) << 38, 0.75},
        {"largest size", kMax64, kMax64, 1.0},
        {"position past the end", 4096, 8192, 1.0},
    };
    CopyProgressWindow window;
    window.setVisible(true);
    for (const auto& c : cases) {
        window.setRange(c.total);
        window.setPosition(c.done);
        ASSERT_GT(window.barMaximum(), 0) << c.label << ": an empty range animates the bar";
        EXPECT_NEAR(double(window.barValue()) / window.barMaximum(), c.share, 1e-6) << c.label;
    }
}

TEST(CopyProgressWindowTest, ShowsPathsAndStatus) {
    CopyProgressWindow window;
    EXPECT_FALSE(window.isVisible());
    window.showSourcePath("/src/" + std::string(400, 's') + "/movie.mkv");
    window.showTargetPath("/dst/movie.mkv");
    window.setStatus("Open...");
    EXPECT_TRUE(window.sourceText().endsWith("/movie.mkv"));
    EXPECT_TRUE(window.sourceText().contains(kEllipsis));
    EXPECT_EQ(window.targetText(), "/dst/movie.mkv");
    EXPECT_EQ(window.statusText(), "Open...");
    window.setVisible(true);
    EXPECT_TRUE(window.isVisible());
    window.setVisible(false);
    EXPECT_FALSE(window.isVisible());
}

TEST(CopyProgressWindowTest, DrawsTheBarsTogetherWithTheirLines) {
    // What the window shows on the screen: its backing store, as the platform has it.
    const auto shown = [](CopyProgressWindow& window) {
        return window.screen()->grabWindow(window.winId()).toImage();
    };
    CopyProgressWindow window;
    window.setRange(100);
    window.setPosition(100);
    window.setStatus("(Copy 100 bytes.) 100.0%");
    window.setVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const QImage lastFile = shown(window);

    // The next file opens: its empty bar must not show beside the last file's 100.0%.
    window.setRange(200);
    window.setPosition(0);
    EXPECT_EQ(shown(window), lastFile);
    window.setStatus("Open...");
    QCoreApplication::processEvents();
    EXPECT_NE(shown(window), lastFile);
}

TEST(QtBatchProgressTest, CancelStopsTheBatch) {
    QtBatchProgress progress;
    EXPECT_TRUE(progress.step(0, 3, "/a"));
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w))
            dialog = d;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->labelText(), "/a");
    EXPECT_TRUE(progress.step(1, 3, "/b"));
    dialog->cancel();
    EXPECT_FALSE(progress.step(2, 3, "/c"));
    progress.finished();

    // The next batch starts afresh.
    EXPECT_TRUE(progress.step(0, 1, "/d"));
    progress.finished();
}

} // namespace
} // namespace ryk
