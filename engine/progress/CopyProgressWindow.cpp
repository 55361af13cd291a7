#include "engine/progress/CopyProgressWindow.h"

#include "engine/progress/CompactPath.h"
#include "engine/progress/SmallWindow.h"
#include "ui_CopyProgressWindow.h"

#include <algorithm>
#include <limits>

namespace ryk {

CopyProgressWindow::CopyProgressWindow(QWidget* owner)
    : QFrame(owner), m_ui(std::make_unique<Ui::CopyProgressWindow>()), m_owner(owner) {
    m_ui->setupUi(this);
    makeSmallWindow(this);
}

CopyProgressWindow::~CopyProgressWindow() = default;

void CopyProgressWindow::showSourcePath(const std::string& path) {
    CompactPathToControl(QString::fromStdString(path), m_ui->sourceLabel);
}

void CopyProgressWindow::showTargetPath(const std::string& path) {
    CompactPathToControl(QString::fromStdString(path), m_ui->targetLabel);
}

void CopyProgressWindow::setStatus(const std::string& text) {
    m_ui->statusLabel->setText(QString::fromStdString(text));
}

void CopyProgressWindow::setRange(uint64_t total) {
    constexpr uint64_t kBarLimit = std::numeric_limits<int>::max();
    m_total = total;
    m_shift = 0;
    while ((total >> m_shift) > kBarLimit)
        ++m_shift;
    // A bar whose maximum equals its minimum shows a busy animation instead of a fill.
    m_ui->progressBar->setRange(0, std::max(1, static_cast<int>(total >> m_shift)));
    m_ui->progressBar->setValue(0);
}

void CopyProgressWindow::setPosition(uint64_t done) {
    m_ui->progressBar->setValue(static_cast<int>(std::min(done, m_total) >> m_shift));
}

void CopyProgressWindow::setVisible(bool visible) {
    if (visible && !QFrame::isVisible())
        centreOverOwner(this, m_owner);
    QFrame::setVisible(visible);
}

QString CopyProgressWindow::sourceText() const {
    return m_ui->sourceLabel->text();
}
QString CopyProgressWindow::targetText() const {
    return m_ui->targetLabel->text();
}
QString CopyProgressWindow::statusText() const {
    return m_ui->statusLabel->text();
}
int CopyProgressWindow::barMaximum() const {
    return m_ui->progressBar->maximum();
}
int CopyProgressWindow::barValue() const {
    return m_ui->progressBar->value();
}

} // namespace ryk
