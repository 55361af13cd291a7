#include "platform/qt/WindowRules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QShortcutEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ryk {

namespace {

/// `frame` moved in as far as it overhangs `available`; where it is larger, its top left
/// corner (the title bar) stays inside.
QRect placeWithin(QRect frame, const QRect& available) {
    frame.moveLeft(
        std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width())));
    frame.moveTop(
        std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height())));
    return frame;
}

/// The window manager's frame around `window`: known once a window has been on the screen,
/// so a window not shown yet borrows the frame of one that is.
QMargins frameMarginsOf(const QWidget& window) {
    if (window.windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (const QWindow* own = window.windowHandle(); own && !own->frameMargins().isNull())
        return own->frameMargins();
    for (const QWindow* other : QGuiApplication::topLevelWindows())
        if (other->isVisible() && !other->frameMargins().isNull())
            return other->frameMargins();
    return {};
}

bool isOrdinaryWindow(const QWidget& widget) {
    if (!widget.isWindow())
        return false;
    // Menus, drop-down lists and tooltips keep themselves on the screen.
    switch (widget.windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
        return true;
    default:
        return false;
    }
}

} // namespace

QRect fitFrameWithin(const QRect& frame, const QRect& available) {
    return placeWithin(QRect(frame.topLeft(), frame.size().boundedTo(available.size())), available);
}

void fitToScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins margins = frameMarginsOf(window);
    QRect frame(window.pos(), window.size().grownBy(margins));
    if (!window.testAttribute(Qt::WA_Moved)) {
        // Left to the window manager, a big window may be put where it runs off the screen.
        const QWidget* owner =
            window.parentWidget() ? window.parentWidget()->window() : QApplication::activeWindow();
        const bool beside = owner && owner != &window && owner->isVisible();
        frame.moveCenter(beside ? owner->frameGeometry().center() : available.center());
    }
    const QRect fitted = fitFrameWithin(frame, available);
    const QSize size = fitted.size().shrunkBy(margins);
    // A window that wants more than the screen has (a message naming a long path) is squeezed
    // rather than left with its buttons out of reach.
    if (window.minimumWidth() > size.width() || window.minimumHeight() > size.height())
        window.setMinimumSize(window.minimumSize().boundedTo(size));
    window.resize(size);
    // A window that cannot be as small as the screen keeps its title bar in reach.
    window.move(
        placeWithin(QRect(fitted.topLeft(), window.size().grownBy(margins)), available).topLeft());
}

void WindowRules::install(QCoreApplication& application) {
    application.installEventFilter(new WindowRules(&application));
}

bool WindowRules::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize: {
        // Shown by the program, before the window manager maps it; also when the window sizes
        // itself while it is shown (a message box does), but not when brought back from the
        // task bar or resized by the user.
        auto* widget = event->spontaneous() ? nullptr : qobject_cast<QWidget*>(watched);
        if (!widget || !isOrdinaryWindow(*widget) || m_fitting)
            break;
        const QWindow* native = widget->windowHandle();
        const bool mapping = widget->isVisible() && native && !native->isVisible();
        if (event->type() == QEvent::Show || mapping) {
            m_fitting = true;
            fitToScreen(*widget);
            m_fitting = false;
        }
        break;
    }
    case QEvent::Shortcut:
        // A button's own answer to its mnemonic is an animated click that lands 100 ms later.
        if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
            if (static_cast<QShortcutEvent*>(event)->isAmbiguous())
                break;
            button->setFocus(Qt::ShortcutFocusReason);
            button->click();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ryk
