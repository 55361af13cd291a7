#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <memory>

namespace ryk::test {

/// Whether a watch answers the first window that comes up, or each one while the act lasts.
enum class Answer { First, Each };

/// Does `act`, which opens a window with an event loop of its own (a modal window, a menu) and
/// returns once that is closed. Meanwhile, from inside that loop, the visible window `find`
/// gives is handed to `answer`, which closes it: the first one, or with Answer::Each every one.
inline void answerWhileActing(const std::function<void()>& act,
                              const std::function<QWidget*()>& find,
                              const std::function<void(QWidget&)>& answer,
                              Answer which = Answer::First) {
    // The look outlives this call in the timer queue; once the call is over it does nothing.
    const auto watching = std::make_shared<bool>(true);
    std::function<void()> look = [&, watching] {
        if (!*watching)
            return;
        QWidget* window = find();
        if (!window || !window->isVisible())
            return QTimer::singleShot(5, look);
        answer(*window);
        if (which == Answer::Each)
            QTimer::singleShot(0, look);
    };
    QTimer::singleShot(0, look);
    act();
    *watching = false;
}

/// answerWhileActing() for the modal windows of class `Window`.
template <class Window>
void answerModal(const std::function<void()>& act, const std::function<void(Window&)>& answer,
                 Answer which = Answer::First) {
    answerWhileActing(
        act, [] { return qobject_cast<Window*>(QApplication::activeModalWidget()); },
        [&](QWidget& window) { answer(static_cast<Window&>(window)); }, which);
}

/// Shows `window` as the user meets it: active, the focus in it, so that its keys work; false
/// when it does not become the active window. The offscreen platform activates even a window
/// that takes no focus, like the search window of a plan, and leaves it active once hidden; a
/// desktop would not.
inline bool showActive(QWidget& window) {
    window.show();
    window.windowHandle()->requestActivate();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; });
}

} // namespace ryk::test
