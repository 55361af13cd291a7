#include "desktop/main/HistoryPage.h"

#include "desktop/main/OptionsState.h"
#include "platform/qt/ByteText.h"
#include "ui_HistoryPage.h"

namespace ryk {

HistoryPage::HistoryPage(QWidget* parent)
    : OptionsPage(parent), m_ui(std::make_unique<Ui::HistoryPage>()) {
    m_ui->setupUi(this);
    connect(m_ui->kindCombo, &QComboBox::currentIndexChanged, this, &HistoryPage::onKindChanged);
    connect(m_ui->entryList, &QListWidget::itemSelectionChanged, this,
            &HistoryPage::onSelectionChanged);
    connect(m_ui->upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_ui->downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &HistoryPage::removeSelected);
    connect(m_ui->deleteAllButton, &QPushButton::clicked, this, &HistoryPage::removeAll);
    connect(m_ui->clearSelectionButton, &QPushButton::clicked, this, &HistoryPage::clearSelection);
    showList(-1);
}

HistoryPage::~HistoryPage() = default;

void HistoryPage::load(const OptionsState& options) {
    m_edited = options.histories;
    m_kind = 0;
    const QSignalBlocker quiet(m_ui->kindCombo);
    m_ui->kindCombo->setCurrentIndex(0);
    showList(-1);
}

void HistoryPage::store(OptionsState& options) const {
    options.histories = m_edited;
}

void HistoryPage::onKindChanged(int kind) {
    if (kind < 0)
        return;
    // The list always shows the edited lines of its kind, so they are kept as they are.
    m_kind = kind;
    showList(-1);
}

void HistoryPage::onSelectionChanged() {
    const int row = selectedEntry();
    m_ui->entryText->setText(row < 0 ? QString() : m_ui->entryList->item(row)->text());
    updateButtons();
}

void HistoryPage::moveSelected(int step) {
    const int row = selectedEntry();
    if (row < 0)
        return;
    const auto index = static_cast<size_t>(row);
    if (step < 0 ? shown().moveUp(index) : shown().moveDown(index))
        showList(row + step);
}

void HistoryPage::removeSelected() {
    const int row = selectedEntry();
    if (row < 0)
        return;
    shown().remove(static_cast<size_t>(row));
    showList(-1);
}

void HistoryPage::removeAll() {
    shown().clear();
    showList(-1);
}

void HistoryPage::clearSelection() {
    m_ui->entryList->clearSelection();
    m_ui->entryList->setCurrentItem(nullptr);
    onSelectionChanged();
}

void HistoryPage::showList(int row) {
    QListWidget& list = *m_ui->entryList;
    {
        const QSignalBlocker quiet(list);
        list.clear();
        for (const std::string& item : shown().items())
            list.addItem(fromBytes(item));
        if (row >= 0)
            list.setCurrentRow(row);
    }
    onSelectionChanged();
}

int HistoryPage::selectedEntry() const {
    const QList<QListWidgetItem*> selected = m_ui->entryList->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->entryList->row(selected.front());
}

void HistoryPage::updateButtons() {
    const int row = selectedEntry();
    const int last = m_ui->entryList->count() - 1;
    m_ui->deleteButton->setEnabled(row >= 0);
    m_ui->upButton->setEnabled(row > 0);
    m_ui->downButton->setEnabled(row >= 0 && row < last);
}

} // namespace ryk
