#include "platform/qt/QtAbortKey.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ryk {

namespace {

/// Whether `watched` is the native window of one of our widgets. The desktop gives every key
/// to that window first, which then hands it on to its focus widget: looked at there, a key is
/// seen once, and seen although a poll holds the hand-on back.
bool isOurWindow(const QObject* watched) {
    const auto* window = qobject_cast<const QWindow*>(watched);
    if (!window)
        return false;
    const QWidgetList widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [window](const QWidget* widget) {
        return widget->windowHandle() == window;
    });
}

} // namespace

QtAbortKey::QtAbortKey() {
    watchKeys();
}

QtAbortKey::~QtAbortKey() {
    if (m_watching)
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
}

void QtAbortKey::watchKeys() {
    if (m_watching)
        return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        // Always, not only while polling: a Control key pressed just before a step and held
        // must stop it, and its release must be seen whenever it comes.
        app->installEventFilter(this);
        m_watching = true;
    }
}

AbortKeyEvent QtAbortKey::poll() {
    watchKeys();
    if (!m_watching)
        return AbortKeyEvent::None;
    constexpr qint64 kLookEveryMs = 15;
    if (m_sinceLastLook.isValid() && m_sinceLastLook.elapsed() < kLookEveryMs)
        return AbortKeyEvent::None;
    m_sinceLastLook.start();
    m_escapeReleased = false;
    m_polling = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_polling = false;
    if (m_controlHeld)
        return AbortKeyEvent::ControlDown;
    return m_escapeReleased ? AbortKeyEvent::EscapeReleased : AbortKeyEvent::None;
}

bool QtAbortKey::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (isOurWindow(watched)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Control)
                m_controlHeld = event->type() == QEvent::KeyPress;
            else
                m_controlHeld = key->modifiers().testFlag(Qt::ControlModifier);
            if (m_polling && event->type() == QEvent::KeyRelease && key->key() == Qt::Key_Escape &&
                !key->isAutoRepeat())
                m_escapeReleased = true;
        }
        return m_polling; // keys pressed during a long step reach no widget
    }
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return m_polling;
    case QEvent::ApplicationDeactivate:
        // The keys now go to another program, the release of a held Control key too.
        m_controlHeld = false;
        return false;
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive)
            m_controlHeld = false;
        return false;
    default:
        return false;
    }
}

} // namespace ryk
