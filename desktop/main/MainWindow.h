#pragma once

#include "app/HistoryList.h"
#include "engine/JobSettings.h"
#include "platform/Platform.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class MainWindow;
}

namespace ryk {

class HelpDesk;
class HistoryComboBox;
class OptionsSheet;
struct OptionsState;
class ResultWindow;
class SettingsFile;

/// The "Rykmere" window where the user states jobs, for the program's whole working life: five
/// input boxes with their histories, the create-destination check, the mode and the options.
/// "実行(&E)" hands the job to a result window, which plans and runs it; "終了(&X)" keeps the
/// histories in the settings and closes, Escape closes without them.
class MainWindow : public QDialog {
    Q_OBJECT
public:
    /// Works on `job` (the start-up job: its texts, mode and options, which the window keeps up
    /// to date; whether a sync leaves out unchanged files comes from `settings`) and on
    /// `settings` (histories, program paths and that option), and shows its help through
    /// `help`, all owned by the caller.
    MainWindow(const Platform& platform, JobSettings& job, SettingsFile& settings, HelpDesk& help,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Runs a planned result window; by default modally. Tests drive it instead.
    using ResultWindowRunner = std::function<void(ResultWindow&)>;
    void setResultWindowRunner(ResultWindowRunner runner) { m_runResultWindow = std::move(runner); }

    /// Runs the filled options sheet and gives its result (QDialog::Accepted for OK); by
    /// default modally. Tests answer it instead.
    using OptionsSheetRunner = std::function<int(OptionsSheet&)>;
    void setOptionsSheetRunner(OptionsSheetRunner runner) { m_runOptionsSheet = std::move(runner); }

    HistoryComboBox& box(HistoryKind kind) const;
    /// The job as the window states it now.
    const JobSettings& job() const { return m_job; }

    /// Hands the job to a new result window: the histories take the texts, the Explorer
    /// question is asked where it applies, and the focus goes back to a field the job refused.
    void OnExecute();
    /// The options sheet; its changes take effect only on OK.
    void OnOptions();
    void OnBrowseSource();
    void OnBrowseDestination();
    /// Keeps the five histories in the settings (the OK path of "終了(&X)").
    void SaveHistories();
    /// "終了(&X)": the histories are kept, then the window closes.
    void accept() override;

protected:
    /// Enter on the focused "ヘルプ" button opens its menu; elsewhere Enter presses the focused
    /// button, and in a box "実行(&E)", as the dialog does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillHistories();
    void AdjustFlagsForMode(bool keep);
    void EnableControlsForMode();
    void ShowStartValues();
    void OnModeChange(int index);
    /// Takes the texts, the check and the mode from the controls into the job.
    void takeControlValues();
    void setUpMenu();
    void setUpAccessibleNames();
    void browseInto(HistoryComboBox& box, const QString& title);
    /// What the options sheet edits: the job's search options, the histories and the programs.
    OptionsState options() const;
    /// Takes the options the sheet ended with OK on into the job, the histories and the settings.
    void takeOptions(const OptionsState& options);

    std::unique_ptr<Ui::MainWindow> m_ui;
    Platform m_platform;
    JobSettings& m_job;
    SettingsFile& m_settings;
    HelpDesk& m_help;
    ResultWindowRunner m_runResultWindow;
    OptionsSheetRunner m_runOptionsSheet;
};

} // namespace ryk
