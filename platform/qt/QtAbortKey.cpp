#include "platform/qt/QtAbortKey.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

namespace ryk {

AbortKeyEvent QtAbortKey::poll() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return AbortKeyEvent::None;
    constexpr qint64 kLookEveryMs = 15;
    if (m_sinceLastLook.isValid() && m_sinceLastLook.elapsed() < kLookEveryMs)
        return AbortKeyEvent::None;
    m_sinceLastLook.start();
    m_escapeReleased = false;
    app->installEventFilter(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    app->removeEventFilter(this);
    if (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier)
        return AbortKeyEvent::ControlDown;
    return m_escapeReleased ? AbortKeyEvent::EscapeReleased : AbortKeyEvent::None;
}

bool QtAbortKey::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            m_escapeReleased = true;
        return true;
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return true; // keys pressed during a long step reach no window
    default:
        return false;
    }
}

} // namespace ryk
