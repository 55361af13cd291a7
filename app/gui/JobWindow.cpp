#include "app/gui/JobWindow.h"

#include "app/Application.h"
#include "ui_JobWindow.h"

#include <QPushButton>

namespace ryk {

JobWindow::JobWindow(const JobSettings& job, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::JobWindow>()) {
    m_ui->setupUi(this);
    m_ui->jobText->setPlainText(QString::fromStdString(describeJob(job)));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
}

JobWindow::~JobWindow() = default;

} // namespace ryk
