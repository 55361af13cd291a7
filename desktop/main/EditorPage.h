#pragma once

#include "desktop/main/OptionsPage.h"

#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class EditorPage;
}

namespace ryk {

/// The "エディタ設定" page: the paths of the binary editor, the text editor and the comparison
/// program, typed in or picked with a file dialog.
class EditorPage : public OptionsPage {
    Q_OBJECT
public:
    /// The page's controls by their ids: each edit, then its browse button.
    enum Control : int {
        kBinaryEditorPath = 1100,
        kBinaryEditorBrowse = 1101,
        kTextEditorPath = 1102,
        kTextEditorBrowse = 1103,
        kComparisonProgramPath = 1104,
        kComparisonProgramBrowse = 1105,
    };

    explicit EditorPage(QWidget* parent = nullptr);
    ~EditorPage() override;

    /// Shows the three programs' paths.
    void load(const OptionsState& options) override;
    /// The three paths as typed or picked.
    void store(OptionsState& options) const override;

    /// Asks for a program file under `title`, starting at `current`; empty when cancelled.
    /// By default an open-file dialog for existing files.
    using ProgramPicker = std::function<QString(const QString& title, const QString& current)>;
    void setProgramPicker(ProgramPicker picker) { m_pickProgram = std::move(picker); }

    QString helpTopic() const override { return QStringLiteral("option3.htm"); }

private:
    /// Puts the chosen program into `path`; a cancelled choice leaves it as it was.
    void PickProgram(QLineEdit& path, const QString& title);

    std::unique_ptr<Ui::EditorPage> m_ui;
    ProgramPicker m_pickProgram;
};

} // namespace ryk
