#pragma once

#include "platform/AbortKey.h"

#include <QElapsedTimer>
#include <QObject>

namespace ryk {

/// The abort key of the desktop: between steps, pending input is processed (so windows stay
/// drawn) while key presses are kept from every window; a released Escape is reported, and a
/// held Control key stops at once.
class QtAbortKey : public QObject, public AbortKey {
    Q_OBJECT
public:
    AbortKeyEvent poll() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_escapeReleased = false;
    /// Polls come once per file and per copied chunk; the desktop is asked only every few
    /// milliseconds, which is as quick as a key can be seen and keeps a big copy fast.
    QElapsedTimer m_sinceLastLook;
};

} // namespace ryk
