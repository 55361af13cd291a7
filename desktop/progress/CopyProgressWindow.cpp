#include "desktop/progress/CopyProgressWindow.h"

#include "desktop/progress/CompactPath.h"
#include "desktop/progress/SmallWindow.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtTranslation.h"
#include "ui_CopyProgressWindow.h"

#include <QProgressBar>
#include <algorithm>
#include <limits>

namespace ryk {

namespace {

/// A progress bar draws itself at once when its value changes, while a label waits for the
/// next round of events: the bar of the next file would show beside the last file's
/// "100.0%". Held back like the labels, the bar is drawn together with its line.
template <typename Change> void drawWithTheLines(QProgressBar* bar, Change change) {
    bar->setUpdatesEnabled(false);
    change();
    bar->setUpdatesEnabled(true);
}

} // namespace

CopyProgressWindow::CopyProgressWindow(QWidget* owner)
    : QFrame(owner), m_ui(std::make_unique<Ui::CopyProgressWindow>()), m_owner(owner) {
    m_ui->setupUi(this);
    makeSmallWindow(this);
}

CopyProgressWindow::~CopyProgressWindow() = default;

void CopyProgressWindow::showSourcePath(const std::string& path) {
    CompactPathToControl(fromBytes(path), m_ui->sourceLabel);
}

void CopyProgressWindow::showTargetPath(const std::string& path) {
    CompactPathToControl(fromBytes(path), m_ui->targetLabel);
}

void CopyProgressWindow::setStatus(const std::string& text) {
    m_ui->statusLabel->setText(fromBytes(text));
}

void CopyProgressWindow::setRange(uint64_t total) {
    constexpr uint64_t kBarLimit = std::numeric_limits<int>::max();
    m_total = total;
    m_shift = 0;
    while ((total >> m_shift) > kBarLimit)
        ++m_shift;
    // A bar whose maximum equals its minimum shows a busy animation instead of a fill.
    m_barMaximum = std::max(1, static_cast<int>(total >> m_shift));
    m_barValue = 0;
    showBar();
}

void CopyProgressWindow::setPosition(uint64_t done) {
    m_barValue = static_cast<int>(std::min(done, m_total) >> m_shift);
    showBar();
    if (m_runTime.isValid()) {
        m_tally.setFilePosition(done);
        showOverall(Redraw::WhenDue);
    }
}

void CopyProgressWindow::showBar() {
    // A run of small files keeps the window hidden and sets the bar twice a file: a hidden
    // bar would still work out each time whether to repaint.
    if (!QFrame::isVisible())
        return;
    QProgressBar* bar = m_ui->progressBar;
    drawWithTheLines(bar, [&] {
        if (bar->maximum() != m_barMaximum)
            bar->setRange(0, m_barMaximum);
        bar->setValue(m_barValue);
    });
}

void CopyProgressWindow::beginRun(const RunProgressCounts& totals) {
    m_tally = RunProgressTally(totals);
    m_runTime.start();
    showOverall(Redraw::Now);
}

void CopyProgressWindow::entryStarting(const OperationEntry& entry) {
    m_tally.entryStarting(entry);
    showOverall(Redraw::WhenDue);
}

void CopyProgressWindow::entryFinished(const OperationEntry& entry, EntryOutcome outcome) {
    m_tally.entryFinished(entry, outcome);
    showOverall(Redraw::WhenDue);
}

void CopyProgressWindow::showOverall(Redraw when) {
    // A run of small files reports thousands of entries a second; the lines need not follow
    // each of them, nor be drawn at all while the window is hidden.
    constexpr qint64 kRedrawMs = 100;
    if (!QFrame::isVisible() || (when == Redraw::WhenDue && m_sinceOverallShown.isValid() &&
                                 m_sinceOverallShown.elapsed() < kRedrawMs))
        return;
    m_sinceOverallShown.start();
    const RunProgressCounts& counts = m_tally.counts();
    const double seconds = static_cast<double>(m_runTime.elapsed()) / 1000;
    m_ui->overallLabel->setText(fromBytes(runProgressLine(counts, seconds, qtTextTranslation())));
    drawWithTheLines(m_ui->overallBar, [&] {
        m_ui->overallBar->setValue(static_cast<int>(runProgressShare(counts) * 1000));
    });
}

void CopyProgressWindow::setVisible(bool visible) {
    const bool showing = visible && !QFrame::isVisible();
    if (showing)
        centreOverOwner(this, m_owner);
    QFrame::setVisible(visible);
    if (showing) {
        showBar();
        if (m_runTime.isValid())
            showOverall(Redraw::Now);
    }
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
QString CopyProgressWindow::overallText() const {
    return m_ui->overallLabel->text();
}
int CopyProgressWindow::overallValue() const {
    return m_ui->overallBar->value();
}
int CopyProgressWindow::barMaximum() const {
    return m_ui->progressBar->maximum();
}
int CopyProgressWindow::barValue() const {
    return m_ui->progressBar->value();
}

} // namespace ryk
