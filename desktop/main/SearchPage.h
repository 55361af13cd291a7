#pragma once

#include "app/SearchOptions.h"
#include "desktop/main/OptionsPage.h"
#include "engine/JobSettings.h"

#include <memory>

namespace Ui {
class SearchPage;
}

namespace ryk {

/// The "オプション" page: the scan and update conditions of the job's flag block, Explorer
/// style and a sync's leaving out of unchanged files, shown as the job's mode allows. What it shows
/// and what a click changes come from SearchOptions; the widgets only mirror it.
class SearchPage : public OptionsPage {
    Q_OBJECT
public:
    explicit SearchPage(TransferMode mode, QWidget* parent = nullptr);
    ~SearchPage() override;

    /// Shows the flags for the mode with Explorer style and the leaving out of unchanged
    /// files, the date of the options' date in the date picker and its time of day in the
    /// time picker.
    void load(const OptionsState& options) override;
    /// The flag block (marks kept), the two check boxes and the pickers' date and time.
    void store(OptionsState& options) const override;
    QString helpTopic() const override { return QStringLiteral("option.htm"); }

private:
    void onClicked(int id);
    /// Puts SearchOptions' visible, enabled and checked states into the widgets.
    void showOptions();

    std::unique_ptr<Ui::SearchPage> m_ui;
    SearchOptions m_options;
};

} // namespace ryk
