#pragma once

#include "desktop/main/DesktopUrl.h"

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

/// Every topic compiled into the program, by file name.
QStringList helpTopics();

/// The contents: the start page, then each page it links to, in the order of its links.
const QList<HelpTopic>& helpContents();

/// "Rykmere ヘルプ": the help pages beside a contents list, with Back, Forward and a way back to
/// the contents. One window per process, usable beside whatever window is open; closing hides
/// it (it keeps its history for the next time), closeAll() deletes it.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    ~HelpWindow() override;

    /// The process's help window; null before the first help request and after closeAll().
    static HelpWindow* current();
    /// Creates the window or raises it, shows `topic` and keeps the window usable while
    /// `parent`'s window (a modal one, as the main window and the options sheet are) is open.
    static HelpWindow* open(const QString& topic, QWidget* parent);
    /// Deletes the help window; the program calls it before the application object goes.
    static void closeAll();

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
    HelpWindow();

    void fillContents();
    void followLink(const QUrl& link);
    void pageChanged(const QUrl& source);
    void showContentsEntry(QListWidgetItem* item);
    void stayUsableOver(QWidget* owner);

    std::unique_ptr<Ui::HelpWindow> m_ui;
    UrlOpener m_openUrl;
    QString m_topic;
    QMetaObject::Connection m_ownerGone;
};

/// The start page of the help ("index.htm"), as the main window's help command opens it.
void OpenHelp(QWidget* parent);

/// The help page of the options sheet's page `pageIndex`: 0 "option.htm", 1 "option2.htm",
/// 2 "option3.htm"; any other index shows the start page.
void ShowOptionHelp(int pageIndex, QWidget* parent);

} // namespace ryk
