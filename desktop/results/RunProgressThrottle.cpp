#include "desktop/results/RunProgressThrottle.h"

#include "platform/qt/ByteText.h"

#include <utility>

namespace ryk {

RunProgressThrottle::RunProgressThrottle(std::chrono::milliseconds interval, MarksShower showMarks,
                                         EntryShower showEntry)
    : m_showMarks(std::move(showMarks)), m_showEntry(std::move(showEntry)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(interval);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { show(); });
}

void RunProgressThrottle::entryStarting(size_t row, const std::string& statusText, Show when) {
    m_marks.emplace_back(row, RowOverlay::Running);
    m_latestRow = row;
    m_latestText = statusText;
    m_latestPending = true;
    if (when == Show::Now || !m_timer.isActive())
        show();
}

void RunProgressThrottle::entryFinished(size_t row, RowOverlay overlay) {
    m_marks.emplace_back(row, overlay);
}

void RunProgressThrottle::showNow() {
    m_timer.stop();
    show();
}

void RunProgressThrottle::show() {
    if (!m_marks.empty()) {
        m_showMarks(m_marks);
        m_marks.clear();
    }
    // Marks alone leave the interval over: the next entry shows at once.
    if (!m_latestPending)
        return;
    m_latestPending = false;
    m_showEntry(m_latestRow, fromBytes(m_latestText));
    m_timer.start();
}

} // namespace ryk
