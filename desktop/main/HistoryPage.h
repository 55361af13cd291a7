#pragma once

#include "app/HistoryList.h"
#include "desktop/main/OptionsPage.h"

#include <memory>

namespace Ui {
class HistoryPage;
}

namespace ryk {

/// The "履歴" page: the five histories of the main window, one kind at a time, where lines can
/// be removed, reordered or the whole list emptied. Edits of every kind are kept while the
/// sheet is open and count only on OK.
class HistoryPage : public OptionsPage {
    Q_OBJECT
public:
    /// The page's controls by their ids.
    enum Control : int {
        kKindCombo = 1090,
        kEntryList = 1091,
        kUpButton = 1092,
        kDownButton = 1093,
        kDeleteButton = 1095,
        kDeleteAllButton = 1097,
        kClearSelectionButton = 1098,
        kEntryText = 1099,
    };

    explicit HistoryPage(QWidget* parent = nullptr);
    ~HistoryPage() override;

    /// Starts editing a copy of the histories, showing the source directories.
    void load(const OptionsState& options) override;
    /// The five histories as edited.
    void store(OptionsState& options) const override;
    QString helpTopic() const override { return QStringLiteral("option2.htm"); }

private:
    void onKindChanged(int kind);
    void onSelectionChanged();
    void moveSelected(int step);
    void removeSelected();
    void removeAll();
    void clearSelection();
    /// Fills the list with the shown kind's lines and selects `row` (-1: none).
    void showList(int row);
    /// The selected line, -1 for none.
    int selectedEntry() const;
    void updateButtons();
    HistoryList& shown() { return m_edited[static_cast<size_t>(m_kind)]; }

    std::unique_ptr<Ui::HistoryPage> m_ui;
    Histories m_edited;
    int m_kind = 0;
};

} // namespace ryk
