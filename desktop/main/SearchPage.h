#pragma once

#include "engine/DateTime.h"
#include "engine/JobSettings.h"
#include "desktop/main/OptionsPage.h"
#include "app/SearchOptions.h"

#include <memory>

namespace Ui {
class SearchPage;
}

namespace ryk {

/// The "オプション" page: the scan and update conditions of the job's flag block and Explorer
/// style, shown as the job's mode allows. What it shows and what a click changes come from
/// SearchOptions; the widgets only mirror it.
class SearchPage : public OptionsPage {
    Q_OBJECT
public:
    explicit SearchPage(TransferMode mode, QWidget* parent = nullptr);
    ~SearchPage() override;

    /// Shows `flags` for the mode, the date of `afterDate` in the date picker and its time of
    /// day in the time picker.
    void LoadValues(const OptionFlags& flags, const DateTime& afterDate);
    /// The flag block, marks kept, and the date as of the last apply(); before any, as loaded.
    void StoreValues(OptionFlags& flags, DateTime& afterDate) const;

    void setExplorerChecked(bool checked);
    /// Explorer style as of the last apply().
    bool explorerChecked() const { return m_explorer; }

    void apply() override;
    QString helpTopic() const override { return QStringLiteral("option.htm"); }

private:
    void onClicked(int id);
    /// Puts SearchOptions' visible, enabled and checked states into the widgets.
    void showOptions();

    std::unique_ptr<Ui::SearchPage> m_ui;
    SearchOptions m_options;
    OptionFlags m_flags;
    DateTime m_afterDate = DateTime::now();
    bool m_explorer = false;
};

} // namespace ryk
