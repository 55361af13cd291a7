#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

class QCoreApplication;
class QWidget;

namespace ryk {

/// Where a window frame of `frame`'s size and place goes so that it lies inside `available`
/// (a screen's free area): as large as it is where that fits, else as large as the area, and
/// moved in as far as it overhangs.
QRect fitFrameWithin(const QRect& frame, const QRect& available);

/// Fits the top-level `window` to the available area of its screen, frame included: a window
/// that no one placed opens centred over the window it belongs to (else the active one, else
/// the screen), and one that is too big is made smaller, below its minimum size if need be.
void fitToScreen(QWidget& window);

/// What every window of the desktop program does alike, Qt's own dialogs included: it opens
/// inside the available screen area (fitToScreen), and a mnemonic presses its button at once,
/// so that a key pressed right after it (Enter) sees what it changed.
class WindowRules : public QObject {
    Q_OBJECT
public:
    /// Follows every window of `application` from now on; the rules belong to it.
    static void install(QCoreApplication& application);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowRules(QObject* parent) : QObject(parent) {}

    /// Set while a window is being fitted, whose own resize must not start another fit.
    bool m_fitting = false;
};

} // namespace ryk
