#pragma once

#include "desktop/main/DesktopUrl.h"
#include "platform/Translation.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <memory>

class QListWidgetItem;
class QTextBrowser;
class QListWidget;
class QUrl;

namespace Ui {
class HelpWindow;
}

namespace ryk {

/// One page of the help: its topic (the file name, "option.htm") and its title.
struct HelpTopic {
    QString topic;
    QString title;
};

/// Every topic compiled into the program in `language`, by file name.
QStringList helpTopics(Language language = Language::Japanese);

/// The contents: the start page, then each page it links to, in the order of its links.
const QList<HelpTopic>& helpContents(Language language = Language::Japanese);

/// "Rykmere ヘルプ": the help pages beside a contents list, with Back, Forward and a way back to
/// the contents, usable beside whatever window is open; closing hides it (it keeps its history
/// for the next time). A HelpDesk makes it.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    ~HelpWindow() override;

    /// Shows `topic` (a file name, optionally with "#anchor"); an unknown one shows the start
    /// page.
    void showTopic(const QString& topic);
    /// The file name of the page shown now.
    QString topic() const;

    /// Replaces the desktop's handler that web addresses in the pages are handed to.
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    QTextBrowser* browser() const;
    QListWidget* contentsList() const;

private:
    friend class HelpDesk;
    explicit HelpWindow(Language language);

    void fillContents();
    void followLink(const QUrl& link);
    void pageChanged(const QUrl& source);
    void showContentsEntry(QListWidgetItem* item);
    void stayUsableOver(QWidget* owner);

    std::unique_ptr<Ui::HelpWindow> m_ui;
    UrlOpener m_openUrl;
    QString m_topic;
    QMetaObject::Connection m_ownerGone;
    Language m_language;
};

/// The program's help: one help window, made at the first request and kept until the desk goes
/// (the program's main owns it, so the window goes before the application object does).
class HelpDesk {
public:
    /// A desk of the pages in `language`.
    explicit HelpDesk(Language language = Language::Japanese);
    ~HelpDesk();
    HelpDesk(const HelpDesk&) = delete;
    HelpDesk& operator=(const HelpDesk&) = delete;

    /// The help window; null before the first request.
    HelpWindow* window() const { return m_window.get(); }
    /// Creates the window or raises it, shows `topic` and keeps the window usable while
    /// `parent`'s window (a modal one, as the main window and the options sheet are) is open.
    HelpWindow* open(const QString& topic, QWidget* parent);
    /// The start page of the help ("index.htm"), as the main window's help command opens it.
    void openStart(QWidget* parent);
    /// The help page of the options sheet's page `pageIndex`: 0 "option.htm", 1 "option2.htm",
    /// 2 "option3.htm"; any other index shows the start page.
    void openOptionPage(int pageIndex, QWidget* parent);

private:
    std::unique_ptr<HelpWindow> m_window;
    Language m_language;
};

} // namespace ryk
