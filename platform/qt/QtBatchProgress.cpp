#include "platform/qt/QtBatchProgress.h"

#include "platform/MessageBox.h"
#include "platform/qt/ByteText.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <limits>

namespace ryk {

QtBatchProgress::QtBatchProgress(QWidget* parent) : m_parent(parent) {}

QtBatchProgress::~QtBatchProgress() = default;

bool QtBatchProgress::step(size_t index, size_t count, const std::string& source) {
    constexpr size_t kLimit = std::numeric_limits<int>::max();
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setWindowTitle(QString::fromUtf8(kProgramTitle));
        m_dialog->setCancelButtonText(QCoreApplication::translate("QtBatchProgress", "キャンセル"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setRange(0, static_cast<int>(std::min(count, kLimit)));
    }
    m_dialog->setLabelText(fromBytes(source));
    m_dialog->setValue(static_cast<int>(std::min(index, kLimit)));
    // A dialog that is not shown yet does not look at its input by itself.
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}

void QtBatchProgress::finished() {
    m_dialog.reset();
}

} // namespace ryk
