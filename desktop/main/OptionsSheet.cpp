#include "desktop/main/OptionsSheet.h"

#include "desktop/main/EditorPage.h"
#include "desktop/main/HistoryPage.h"
#include "desktop/main/SearchPage.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ryk {

OptionsSheet::OptionsSheet(TransferMode mode, QWidget* parent)
    : QDialog(parent), m_searchPage(new SearchPage(mode)), m_historyPage(new HistoryPage),
      m_editorPage(new EditorPage), m_pages{m_searchPage, m_historyPage, m_editorPage},
      m_tabs(new QTabWidget),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                     QDialogButtonBox::Help)) {
    setWindowTitle(QStringLiteral("Rykmere - option"));
    m_tabs->addTab(m_searchPage, QCoreApplication::translate("OptionsSheet", "オプション"));
    m_tabs->addTab(m_historyPage, QCoreApplication::translate("OptionsSheet", "履歴"));
    m_tabs->addTab(m_editorPage, QCoreApplication::translate("OptionsSheet", "エディタ設定"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &OptionsSheet::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &OptionsSheet::ShowOptionHelp);
    // Help is asked for on the way: a click on it leaves the focus where it was, so that Enter
    // still means OK.
    m_buttons->button(QDialogButtonBox::Help)->setFocusPolicy(Qt::TabFocus);
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, &OptionsSheet::ShowOptionHelp);
    // Until the caller loads its options, the date pickers show the present.
    m_options.afterDate = DateTime::now();
    load(m_options);
}

OptionsSheet::~OptionsSheet() = default;

void OptionsSheet::load(const OptionsState& options) {
    m_options = options;
    for (OptionsPage* page : m_pages)
        page->load(m_options);
}

void OptionsSheet::accept() {
    for (const OptionsPage* page : m_pages)
        page->store(m_options);
    QDialog::accept();
}

void OptionsSheet::ShowOptionHelp() {
    const int page = m_tabs->currentIndex();
    if (m_showHelp && page >= 0 && page < static_cast<int>(m_pages.size()))
        m_showHelp(m_pages[static_cast<size_t>(page)]->helpTopic());
}

} // namespace ryk
