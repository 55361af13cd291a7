#include "desktop/progress/SearchWindow.h"

#include "desktop/progress/CompactPath.h"
#include "desktop/progress/SmallWindow.h"
#include "platform/qt/ByteText.h"
#include "ui_SearchWindow.h"

#include <QApplication>

namespace ryk {

namespace {

/// How often a counter on the detail line is painted at most.
constexpr qint64 kDetailPaintMs = 25;

} // namespace

SearchWindow::SearchWindow(QWidget* owner)
    : QFrame(owner), m_ui(std::make_unique<Ui::SearchWindow>()), m_owner(owner) {
    m_ui->setupUi(this);
    m_ui->detailLabel->setMinimumHeight(m_ui->detailLabel->fontMetrics().height() + 6);
    m_pathTimer.setSingleShot(true);
    m_pathTimer.setInterval(0);
    connect(&m_pathTimer, &QTimer::timeout, this, [this] { showPendingPath(); });
    // It never asks for the keyboard: the abort key reads the keys of every window of ours,
    // and a desktop may hand the keyboard to a window that asked for it for a short step only
    // once the window is hidden again, where no key does anything.
    makeSmallWindow(this);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::setOwner(QWidget* owner) {
    m_owner = owner;
    setParent(owner, windowFlags());
}

void SearchWindow::begin(const QString& heading, const QString& hint) {
    m_ui->headingLabel->setText(heading);
    m_ui->hintLabel->setText(hint);
    m_ui->detailLabel->clear();
    m_ui->detailLabel->setToolTip(QString());
    m_sinceDetailPainted.invalidate();
    m_pathPending = false;
    if (!isVisible()) {
        centreOverOwner(this, m_owner);
        if (QWidget* active = QApplication::activeWindow(); active != this)
            m_previousActive = active;
        show();
    }
    // The step that follows may not return to the event loop for a while: let the window appear.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SearchWindow::setHeading(const QString& heading) {
    m_ui->headingLabel->setText(heading);
    m_sinceDetailPainted.invalidate();
    if (isVisible())
        m_ui->headingLabel->repaint();
}

void SearchWindow::showDetail(const QString& text) {
    m_pathPending = false;
    m_ui->detailLabel->setText(text);
    m_ui->detailLabel->setToolTip(QString());
    if (!isVisible() ||
        (m_sinceDetailPainted.isValid() && m_sinceDetailPainted.elapsed() < kDetailPaintMs))
        return;
    m_ui->detailLabel->repaint();
    m_sinceDetailPainted.start();
}

void SearchWindow::showDetailPath(const std::string& path) {
    // A scan reads hundreds of directories a second: compacting and painting each path would
    // take longer than reading its directory, and the line is painted only when the abort key
    // looks at the input, every few milliseconds.
    m_pendingPath = path;
    m_pathPending = true;
    if (!isVisible())
        showPendingPath();
    else if (!m_pathTimer.isActive())
        m_pathTimer.start();
}

void SearchWindow::showPendingPath() const {
    if (!m_pathPending)
        return;
    m_pathPending = false;
    CompactPathToControl(fromBytes(m_pendingPath), m_ui->detailLabel);
}

void SearchWindow::end() {
    // A desktop that gave it the keyboard all the same gives it back to the window that had it.
    const bool hadKeys = isActiveWindow();
    hide();
    if (hadKeys && m_previousActive && m_previousActive->isVisible())
        m_previousActive->activateWindow();
    m_previousActive = nullptr;
}

QString SearchWindow::heading() const {
    return m_ui->headingLabel->text();
}
QString SearchWindow::detail() const {
    showPendingPath();
    return m_ui->detailLabel->text();
}
QString SearchWindow::hint() const {
    return m_ui->hintLabel->text();
}

} // namespace ryk
