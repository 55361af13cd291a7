#include "desktop/results/AttributeWindow.h"

#include "ui_AttributeWindow.h"

#include <QCoreApplication>
#include <QDateTime>

namespace ryk {

namespace {

Qt::CheckState checkState(TriState state) {
    switch (state) {
    case TriState::Clear:
        return Qt::Unchecked;
    case TriState::Set:
        return Qt::Checked;
    case TriState::Unchanged:
        break;
    }
    return Qt::PartiallyChecked;
}

TriState triState(Qt::CheckState state) {
    switch (state) {
    case Qt::Unchecked:
        return TriState::Clear;
    case Qt::Checked:
        return TriState::Set;
    case Qt::PartiallyChecked:
        break;
    }
    return TriState::Unchanged;
}

size_t sideIndex(ChangeSide side) {
    return side == ChangeSide::Source ? 0 : 1;
}

} // namespace

AttributeWindow::AttributeWindow(TransferMode mode, int selected,
                                 const AttributeChoice& sourceState,
                                 const AttributeChoice& targetState, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::AttributeWindow>()), m_states{sourceState, targetState} {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui->selectionLabel->setText(
        QCoreApplication::translate("AttributeWindow", "%1個のファイルが選択されています")
            .arg(selected));
    const QDateTime now = QDateTime::currentDateTime();
    m_ui->dateEdit->setDate(now.date());
    m_ui->timeEdit->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    if (mode == TransferMode::Search || mode == TransferMode::Delete)
        m_ui->targetButton->hide();
    showState(ChangeSide::Source);
    enablePickers();

    connect(m_ui->dateBox, &QCheckBox::toggled, this, &AttributeWindow::enablePickers);
    connect(m_ui->timeBox, &QCheckBox::toggled, this, &AttributeWindow::enablePickers);
    for (size_t i = 0; i < kAttributeBoxCount; ++i)
        connect(box(static_cast<AttributeBox>(i)), &QCheckBox::clicked, this,
                [this, i] { m_chosen[i] = true; });
    connect(m_ui->sourceButton, &QRadioButton::toggled, this, [this] { showState(side()); });
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

AttributeWindow::~AttributeWindow() = default;

QCheckBox* AttributeWindow::box(AttributeBox which) const {
    switch (which) {
    case AttributeBox::ReadOnly:
        return m_ui->readOnlyBox;
    case AttributeBox::Hidden:
        return m_ui->hiddenBox;
    case AttributeBox::System:
        return m_ui->systemBox;
    case AttributeBox::Archive:
        break;
    }
    return m_ui->archiveBox;
}

ChangeSide AttributeWindow::side() const {
    return m_ui->sourceButton->isChecked() ? ChangeSide::Source : ChangeSide::Target;
}

void AttributeWindow::showState(ChangeSide side) {
    const AttributeChoice& state = m_states[sideIndex(side)];
    for (size_t i = 0; i < kAttributeBoxCount; ++i) {
        const auto which = static_cast<AttributeBox>(i);
        if (!m_chosen[i])
            box(which)->setCheckState(checkState(state[which]));
    }
}

void AttributeWindow::enablePickers() {
    m_ui->dateEdit->setEnabled(m_ui->dateBox->isChecked());
    m_ui->timeEdit->setEnabled(m_ui->timeBox->isChecked());
}

ChangeRequest AttributeWindow::request() const {
    ChangeRequest request;
    request.side = side();
    AttributeChoice chosen;
    for (size_t i = 0; i < kAttributeBoxCount; ++i) {
        const auto which = static_cast<AttributeBox>(i);
        chosen[which] = triState(box(which)->checkState());
    }
    request.attributes = changedBoxes(m_states[sideIndex(request.side)], chosen);

    DateChoice& dates = request.dates;
    dates.setDate = m_ui->dateBox->isChecked();
    dates.setTime = m_ui->timeBox->isChecked();
    const QDate date = m_ui->dateEdit->date();
    dates.date.year = date.year();
    dates.date.month = date.month();
    dates.date.day = date.day();
    const QTime time = m_ui->timeEdit->time();
    dates.time.hour = time.hour();
    dates.time.minute = time.minute();
    dates.time.second = time.second();
    return request;
}

} // namespace ryk
