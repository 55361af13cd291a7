#include "ResultWindowFixture.h"
#include "desktop/progress/SearchWindow.h"
#include "desktop/results/ResultWindow.h"
#include "platform/qt/QtAbortKey.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <string>
#include <string_view>

namespace ryk {
namespace {

using test::ResultWindowTest;

using test::brakes;
using test::KeysDuringPoll;

TEST_F(ResultWindowTest, ARunIsNotStoppedByAControlKeyElsewhere) {
    QtAbortKey key;
    auto w = planned(TransferMode::Update, &key);
    show(*w);
    QWindow other;
    QTest::keyPress(&other, Qt::Key_Control, Qt::ControlModifier);
    w->runList();
    QTest::keyRelease(&other, Qt::Key_Control);
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)");
    EXPECT_EQ(tmp.readFile("dst/sub/c.txt"), "ccccccc");
}

TEST_F(ResultWindowTest, EscapeAndControlInOurWindowsStopTheScan) {
    for (const test::Brake& brake : brakes()) {
        for (const char* into : {"main window", "search window"}) {
            SCOPED_TRACE(std::string(brake.what) + " into the " + into);
            KeysDuringPoll key;
            QWidget mainWindow;
            mainWindow.show();
            mainWindow.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
            ResultWindowFactory f(Platform{fileSystem, messages, key}, &mainWindow);
            OptionFlags flags;
            flags.subdirectories = 1;
            ASSERT_TRUE(
                f.job().takeJob(settings(TransferMode::Update, source, destination, flags)));

            key.pressAt(1, [&](QWindow&) {
                QWidget* window = mainWindow.findChild<SearchWindow*>();
                ASSERT_TRUE(window && window->isVisible());
                if (std::string_view(into) == "main window")
                    window = &mainWindow;
                brake.press(*window->windowHandle());
            });
            messages.shown.clear();
            messages.answers = {MessageAnswer::Yes};
            EXPECT_EQ(f.plan(), nullptr) << "the scan was stopped";
            test::releaseControl();
            EXPECT_EQ(messages.texts(), brake.asked);
            EXPECT_TRUE(QTest::qWaitFor([&] {
                return QApplication::activeWindow() == &mainWindow;
            })) << "the keyboard is with the window that had it";
        }
    }
}

TEST_F(ResultWindowTest, EscapeAndControlInTheWindowStopARun) {
    for (const test::Brake& brake : brakes()) {
        SCOPED_TRACE(brake.what);
        KeysDuringPoll key;
        auto w = planned(TransferMode::Update, &key);
        show(*w);
        key.pressAt(1, brake.press);
        messages.shown.clear();
        messages.answers = {MessageAnswer::Yes};
        w->runList();
        test::releaseControl();
        EXPECT_EQ(messages.texts(), brake.asked);
        EXPECT_TRUE(w->statusText().startsWith("中断しました.")) << w->statusText().toStdString();
        EXPECT_FALSE(std::filesystem::exists(tmp / "dst/a.txt"))
            << "stopped before the first entry";
    }
}

TEST_F(ResultWindowTest, CloseDuringARunAsksAsEscapeDoes) {
    QtAbortKey key;
    auto w = planned(TransferMode::Update, &key);
    show(*w);
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    // The window manager's close comes while the run looks at the input.
    QTest::qWait(20); // the run's first poll looks at the input
    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    messages.answers = {MessageAnswer::No};
    w->runList();
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "中断しますか?");
    EXPECT_TRUE(w->isVisible()) << "a run is never cut off by a close";
    EXPECT_EQ(w->statusText(), "完了しました.(Error=0)") << "No goes on";

    select(*w, {0});
    QTest::qWait(20);
    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    messages.answers = {MessageAnswer::Yes};
    w->job().list().at(1)->state = kStatePending;
    w->runList();
    EXPECT_EQ(messages.texts().size(), 2u);
    EXPECT_TRUE(w->statusText().startsWith("中断しました.")) << w->statusText().toStdString();

    // Outside a run a close closes.
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->job().list().size(), 0u);
}

} // namespace
} // namespace ryk
