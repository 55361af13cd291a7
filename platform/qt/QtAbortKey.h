#pragma once

#include "platform/AbortKey.h"

#include <QElapsedTimer>
#include <QObject>

namespace ryk {

/// The abort key of the desktop: between steps, pending input is processed (so windows stay
/// drawn) while key presses are kept from every window; a released Escape is reported, and a
/// held Control key stops at once. Only keys given to this program's windows count: a Control
/// key held down in another program never stops a step.
class QtAbortKey : public QObject, public AbortKey {
    Q_OBJECT
public:
    QtAbortKey();
    ~QtAbortKey() override;

    AbortKeyEvent poll() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Starts following the keys once there is an application object to follow them in.
    void watchKeys();

    bool m_watching = false;
    bool m_polling = false;
    bool m_escapeReleased = false;
    /// Whether Control is down, as the key events given to our windows tell; the desktop's
    /// own state would count a Control key pressed in any program.
    bool m_controlHeld = false;
    /// Polls come once per file and per copied chunk; the desktop is asked only every few
    /// milliseconds, which is as quick as a key can be seen and keeps a big copy fast.
    QElapsedTimer m_sinceLastLook;
};

} // namespace ryk
