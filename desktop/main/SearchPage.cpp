#include "desktop/main/SearchPage.h"

#include "desktop/main/OptionsState.h"
#include "ui_SearchPage.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QTimeEdit>

namespace ryk {

namespace {

/// The wall-clock fields of `date`; the current time where it has none to give.
LocalFields fieldsOf(const DateTime& date) {
    LocalFields fields;
    if (date.valid && date.toLocalFields(fields))
        return fields;
    DateTime::now().toLocalFields(fields);
    return fields;
}

} // namespace

SearchPage::SearchPage(TransferMode mode, QWidget* parent)
    : OptionsPage(parent), m_ui(std::make_unique<Ui::SearchPage>()), m_options(mode) {
    m_ui->setupUi(this);
    for (int id = kFirstSearchControl; id <= kLastSearchControl; ++id) {
        QWidget* widget = control(id);
        // A hidden option leaves its place empty, so the page keeps its shape in every mode.
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            connect(button, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
    }
    // The pickers' own size leaves the last digit against the button.
    const int room = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (QWidget* picker : {control(kAfterDayPicker), control(kAfterTimePicker)})
        picker->setMinimumWidth(picker->sizeHint().width() + room);
    showOptions();
}

SearchPage::~SearchPage() = default;

void SearchPage::load(const OptionsState& options) {
    m_options.load(options.flags);
    m_options.setExplorerChecked(options.explorerStyle);
    m_options.setSkipUnchangedChecked(options.skipUnchanged);
    m_options.setTrashChecked(options.trash);
    m_options.setVerifyChecked(options.verify);
    m_options.setNoticeLongRunsChecked(options.noticeLongRuns);
    m_options.setHardLinksChecked(options.hardLinks);
    const LocalFields fields = fieldsOf(options.afterDate);
    m_ui->afterDayPicker->setDate(QDate(fields.year, fields.month, fields.day));
    m_ui->afterTimePicker->setTime(QTime(fields.hour, fields.minute, fields.second));
    showOptions();
}

void SearchPage::store(OptionsState& options) const {
    options.flags = m_options.store();
    options.explorerStyle = m_options.explorerChecked();
    options.skipUnchanged = m_options.skipUnchangedChecked();
    options.trash = m_options.trashChecked();
    options.verify = m_options.verifyChecked();
    options.noticeLongRuns = m_options.noticeLongRunsChecked();
    options.hardLinks = m_options.hardLinksChecked();
    const QDate day = m_ui->afterDayPicker->date();
    const QTime time = m_ui->afterTimePicker->time();
    options.afterDate = DateTime::fromLocalFields(
        LocalFields{day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second()});
}

void SearchPage::onClicked(int id) {
    m_options.click(id);
    // The widget has already flipped itself; the logic may see it otherwise (a radio button
    // clicked twice stays checked, a switch checks its first choice).
    showOptions();
}

void SearchPage::showOptions() {
    for (int id = kFirstSearchControl; id <= kLastSearchControl; ++id) {
        QWidget* widget = control(id);
        widget->setHidden(!m_options.isVisible(id));
        widget->setEnabled(m_options.isEnabled(id));
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setChecked(m_options.isChecked(id));
    }
}

} // namespace ryk
