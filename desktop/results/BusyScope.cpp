#include "desktop/results/BusyScope.h"

#include <QCursor>
#include <QGuiApplication>

namespace ryk {

BusyScope::BusyScope(bool& busy, Cursor cursor) : m_busy(busy), m_cursor(cursor) {
    m_busy = true;
    if (m_cursor == Cursor::Wait)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyScope::~BusyScope() {
    if (m_cursor == Cursor::Wait)
        QGuiApplication::restoreOverrideCursor();
    m_busy = false;
}

} // namespace ryk
