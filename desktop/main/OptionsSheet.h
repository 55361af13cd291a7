#pragma once

#include "desktop/main/OptionsState.h"
#include "engine/JobSettings.h"

#include <QDialog>
#include <array>
#include <functional>

class QDialogButtonBox;
class QTabWidget;

namespace ryk {

class EditorPage;
class HistoryPage;
class OptionsPage;
class SearchPage;

/// The "Rykmere - option" sheet: the search options, the histories and the external programs
/// on three tabs. It works on a copy of the options the caller loads; each page shows its part
/// and, on OK, writes the user's changes back into it. Cancel leaves the copy as loaded.
class OptionsSheet : public QDialog {
    Q_OBJECT
public:
    /// The search page shows what `mode` uses.
    explicit OptionsSheet(TransferMode mode, QWidget* parent = nullptr);
    ~OptionsSheet() override;

    SearchPage& searchPage() const { return *m_searchPage; }
    HistoryPage& historyPage() const { return *m_historyPage; }
    EditorPage& editorPage() const { return *m_editorPage; }
    QTabWidget& tabs() const { return *m_tabs; }

    /// Shows `options` on the pages.
    void load(const OptionsState& options);
    /// The options as of OK; before it, and after Cancel, as loaded.
    const OptionsState& options() const { return m_options; }

    /// Shows a help topic (the application's help window).
    using HelpHandler = std::function<void(const QString& topic)>;
    void setHelpHandler(HelpHandler handler) { m_showHelp = std::move(handler); }

    /// Every page stores its controls' values into the options, then the sheet closes with OK.
    void accept() override;
    /// The help topic of the page on show; nothing without a handler.
    void ShowOptionHelp();

private:
    SearchPage* m_searchPage;
    HistoryPage* m_historyPage;
    EditorPage* m_editorPage;
    std::array<OptionsPage*, 3> m_pages;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    HelpHandler m_showHelp;
    OptionsState m_options;
};

} // namespace ryk
