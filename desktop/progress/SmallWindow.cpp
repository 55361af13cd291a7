#include "desktop/progress/SmallWindow.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace ryk {

void makeSmallWindow(QWidget* window) {
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->adjustSize();
    // Paths are compacted to their line's width before the window is first shown.
    if (QLayout* layout = window->layout())
        layout->activate();
}

void centreOverOwner(QWidget* window, QWidget* owner) {
    QRect area;
    for (QWidget* w = owner; w; w = w->parentWidget()) {
        if (w->isVisible()) {
            area = w->window()->frameGeometry();
            break;
        }
    }
    if (area.isNull()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

} // namespace ryk
