#include "desktop/main/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace ryk {
namespace {

QString pageText(const QString& topic, Language language = Language::Japanese) {
    QFile file(
        (language == Language::English ? QStringLiteral(":/help/en/") : QStringLiteral(":/help/")) +
        topic);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

/// Each link of a document with the position of its text.
struct Link {
    QString href;
    int position;
};

QList<Link> linksOf(const QTextDocument& document) {
    QList<Link> links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                links.append({format.anchorHref(), it.fragment().position()});
        }
    return links;
}

bool hasAnchor(const QTextDocument& document, const QString& name) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorNames().contains(name))
                return true;
    return false;
}

class HelpWindowTest : public ::testing::Test {
protected:
    HelpWindow& window() const { return *help.window(); }

    /// The contents entry of `topic`, clicked as the user does it, through the window system
    /// (so that a modal window would block the click as it blocks the user's).
    void clickContentsEntry(const QString& topic) {
        QListWidget* list = window().contentsList();
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            if (item->data(Qt::UserRole).toString() != topic)
                continue;
            const QPoint point =
                list->viewport()->mapTo(&window(), list->visualItemRect(item).center());
            QTest::mouseClick(window().windowHandle(), Qt::LeftButton, {}, point);
            return;
        }
        ADD_FAILURE() << "no contents entry for " << topic.toStdString();
    }

    /// Clicks the first link to `href` in the page shown.
    void clickLink(const QString& href) {
        QTextBrowser* browser = window().browser();
        for (const Link& link : linksOf(*browser->document())) {
            if (link.href != href)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(link.position + 1);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            const QPoint point = browser->cursorRect(cursor).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, point);
            return;
        }
        ADD_FAILURE() << "no link to " << href.toStdString();
    }

    HelpDesk help;
};

TEST_F(HelpWindowTest, OpenHelpShowsTheStartPageInOneWindow) {
    EXPECT_EQ(help.window(), nullptr);
    help.openStart(nullptr);
    HelpWindow* first = help.window();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->topic(), "index.htm");
    EXPECT_EQ(first->windowTitle(), "Rykmere ヘルプ");
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->browser()->toPlainText().contains("Rykmere ヘルプ"));

    // Closed, it comes back as it was: the same window, its page history kept.
    first->showTopic("sync.htm");
    first->close();
    EXPECT_FALSE(first->isVisible());
    help.openStart(nullptr);
    EXPECT_EQ(help.window(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->topic(), "index.htm");
    EXPECT_TRUE(first->browser()->isBackwardAvailable());

    // The window goes with the desk that made it.
    QPointer<HelpWindow> gone;
    {
        HelpDesk other;
        other.openStart(nullptr);
        gone = other.window();
        ASSERT_FALSE(gone.isNull());
    }
    EXPECT_TRUE(gone.isNull());
}

TEST_F(HelpWindowTest, OptionHelpShowsThePageOfTheActiveTab) {
    const struct {
        int page;
        const char* topic;
    } cases[] = {{0, "option.htm"},
                 {1, "option2.htm"},
                 {2, "option3.htm"},
                 {3, "index.htm"},
                 {-1, "index.htm"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        help.openOptionPage(c.page, nullptr);
        EXPECT_EQ(window().topic(), c.topic);
    }
    // The pages bear the names of the sheet's tabs, as the contents list shows them.
    QStringList titles;
    for (const HelpTopic& entry : helpContents())
        if (entry.topic.startsWith("option"))
            titles.append(entry.title);
    EXPECT_EQ(titles, QStringList({"オプション", "履歴", "エディタ設定"}));
}

TEST_F(HelpWindowTest, AnUnknownTopicShowsTheStartPage) {
    help.openStart(nullptr);
    for (const char* topic : {"nosuch.htm", "", "../index.htm", "help/option.htm", "#dest"}) {
        SCOPED_TRACE(topic);
        window().showTopic("option.htm");
        window().showTopic(topic);
        EXPECT_EQ(window().topic(), "index.htm");
        EXPECT_FALSE(window().browser()->toPlainText().isEmpty());
    }
    window().showTopic("wildcard.htm#dest");
    EXPECT_EQ(window().topic(), "wildcard.htm");
}

TEST_F(HelpWindowTest, EveryLinkOfEveryPageLeadsToAPageOrAnAnchorThatExists) {
    // The English pages are the Japanese ones translated: the same files, links and anchors.
    for (const Language language : {Language::Japanese, Language::English}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Japanese");
        const QStringList topics = helpTopics(language);
        EXPECT_EQ(topics, helpTopics());
        ASSERT_GE(topics.size(), 13);
        for (const char* required : {"index.htm", "option.htm", "option2.htm", "option3.htm"})
            EXPECT_TRUE(topics.contains(required)) << required;

        int links = 0;
        for (const QString& topic : topics) {
            SCOPED_TRACE(topic.toStdString());
            QTextDocument page;
            page.setHtml(pageText(topic, language));
            EXPECT_FALSE(page.metaInformation(QTextDocument::DocumentTitle).isEmpty());
            // Every page is valid UTF-8: a stray byte would show as a replacement character.
            EXPECT_FALSE(page.toPlainText().contains(QChar::ReplacementCharacter));
            for (const Link& link : linksOf(page)) {
                SCOPED_TRACE(link.href.toStdString());
                ++links;
                const QUrl url(link.href);
                if (!url.isRelative()) {
                    EXPECT_EQ(url.scheme(), "https");
                    continue;
                }
                const QString target = url.path().isEmpty() ? topic : url.path();
                ASSERT_TRUE(topics.contains(target));
                if (url.hasFragment()) {
                    QTextDocument targetPage;
                    targetPage.setHtml(pageText(target, language));
                    EXPECT_TRUE(hasAnchor(targetPage, url.fragment()));
                }
            }
        }
        EXPECT_GT(links, topics.size());

        // Each page can be reached from the contents.
        QStringList listed;
        for (const HelpTopic& entry : helpContents(language))
            listed.append(entry.topic);
        listed.sort();
        EXPECT_EQ(listed, topics);
    }
}

TEST_F(HelpWindowTest, ContentsEntriesAndLinksShowTheirPagesAndTheListFollows) {
    help.openStart(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    clickContentsEntry("option3.htm");
    EXPECT_EQ(window().topic(), "option3.htm");
    EXPECT_TRUE(window().browser()->toPlainText().contains("バイナリエディタ"));

    clickLink("result.htm");
    EXPECT_EQ(window().topic(), "result.htm");
    EXPECT_EQ(window().contentsList()->currentItem()->data(Qt::UserRole), "result.htm");

    auto* back = window().findChild<QToolButton*>("backButton");
    ASSERT_NE(back, nullptr);
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(window().topic(), "option3.htm");
    EXPECT_EQ(window().contentsList()->currentItem()->data(Qt::UserRole), "option3.htm");
}

TEST_F(HelpWindowTest, WebAddressesGoToTheDesktopNotIntoTheWindow) {
    help.openStart(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    QList<QUrl> opened;
    window().setUrlOpener([&](const QUrl& url) { opened.append(url); });
    clickLink("https://rykmere.github.io/");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.front(), QUrl("https://rykmere.github.io/"));
    EXPECT_EQ(window().topic(), "index.htm");
    EXPECT_FALSE(window().browser()->isBackwardAvailable());
}

TEST_F(HelpWindowTest, StaysUsableWhileModalWindowsRun) {
    // The program's windows all run modally: the main window, and over it the options sheet.
    QDialog mainWindow;
    bool checked = false;
    QTimer::singleShot(0, &mainWindow, [&] {
        help.openStart(&mainWindow);
        // No ASSERT here: the dialogs must still be ended.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window()));
        clickContentsEntry("update.htm");
        EXPECT_EQ(window().topic(), "update.htm");

        QPointer<QDialog> sheet = new QDialog(&mainWindow);
        QTimer::singleShot(0, sheet, [&] {
            help.openOptionPage(1, sheet);
            EXPECT_EQ(window().topic(), "option2.htm");
            clickContentsEntry("move.htm");
            EXPECT_EQ(window().topic(), "move.htm");
            sheet->reject();
        });
        sheet->exec();
        delete sheet;

        // The sheet is gone; the main window is modal again and help still takes clicks.
        clickContentsEntry("search.htm");
        EXPECT_EQ(window().topic(), "search.htm");
        checked = true;
        mainWindow.reject();
    });
    mainWindow.exec();
    EXPECT_TRUE(checked);
}

} // namespace
} // namespace ryk
