#include "platform/qt/QtAbortKey.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace ryk {
namespace {

/// Delivers a key event to the window of `widget` as the desktop gives it.
void deliver(QWidget* widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyEvent(type == QEvent::KeyPress ? QTest::Press : QTest::Release,
                    widget->windowHandle(), static_cast<Qt::Key>(key), modifiers);
}

TEST(QtAbortKeyTest, OnlyKeysGivenToOurWindowsCount) {
    QtAbortKey key;
    QLineEdit ours;
    ours.show();
    const struct {
        const char* what;
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        AbortKeyEvent seen;
    } steps[] = {
        {"nothing pressed", QEvent::None, 0, {}, AbortKeyEvent::None},
        {"Escape pressed: not yet", QEvent::KeyPress, Qt::Key_Escape, {}, AbortKeyEvent::None},
        {"Escape released", QEvent::KeyRelease, Qt::Key_Escape, {}, AbortKeyEvent::EscapeReleased},
        {"Control pressed", QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier,
         AbortKeyEvent::ControlDown},
        {"Control still held", QEvent::None, 0, {}, AbortKeyEvent::ControlDown},
        {"Control released", QEvent::KeyRelease, Qt::Key_Control, {}, AbortKeyEvent::None},
        {"Ctrl+S", QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier, AbortKeyEvent::ControlDown},
        {"S without Control", QEvent::KeyRelease, Qt::Key_S, {}, AbortKeyEvent::None},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        QTest::qWait(20); // the poll looks every few milliseconds
        if (step.type != QEvent::None)
            QTimer::singleShot(0, &ours,
                               [&] { deliver(&ours, step.type, step.key, step.modifiers); });
        EXPECT_EQ(key.poll(), step.seen);
    }
    deliver(&ours, QEvent::KeyRelease, Qt::Key_Control, {});
}

TEST(QtAbortKeyTest, AControlKeyOfAnotherProgramDoesNotStop) {
    QtAbortKey key;
    // The desktop's modifier state says Control, but no key came to a window of ours: the
    // plain native window stands for another program's.
    QWindow other;
    QTest::keyPress(&other, Qt::Key_Control, Qt::ControlModifier);
    ASSERT_TRUE(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_EQ(key.poll(), AbortKeyEvent::None);
    QTest::keyRelease(&other, Qt::Key_Control);

    // Held in our window, then the keyboard went to another program, which got the release.
    QLineEdit ours;
    ours.show();
    deliver(&ours, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_EQ(key.poll(), AbortKeyEvent::ControlDown);
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(qApp, &inactive);
    QTest::qWait(20);
    EXPECT_EQ(key.poll(), AbortKeyEvent::None);
}

} // namespace
} // namespace ryk
