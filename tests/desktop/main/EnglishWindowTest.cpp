// The desktop program for a user whose language is English: the windows' own texts, the
// engine's texts shown in them and the help pages.
#include "platform/qt/QtTranslation.h"
#include "support/MainWindowFixture.h"

#include <QCoreApplication>
#include <QTextBrowser>
#include <QTranslator>

namespace ryk::test {
namespace {

class EnglishWindowTest : public MainWindowTest {
protected:
    EnglishWindowTest()
        : translator(installTranslations(*QCoreApplication::instance(), Language::English)) {}
    ~EnglishWindowTest() override {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }

    QTranslator* translator;
    const Platform english{fileSystem, messages, keys, &batch, qtTextTranslation()};
};

TEST_F(EnglishWindowTest, WindowsEngineTextsAndHelpSpeakEnglish) {
    ASSERT_NE(translator, nullptr) << "the English translation is not in the program";
    MainWindow window(english, job, settings, help);
    EXPECT_EQ(window.findChild<QPushButton*>("executeButton")->text(), "&Execute");
    QComboBox* modes = window.findChild<QComboBox*>("modeList");
    ASSERT_EQ(modes->count(), 6);
    EXPECT_EQ(modes->itemText(0), "Update mode");
    EXPECT_EQ(modes->itemText(5), "Sync mode");

    HelpDesk englishHelp(Language::English);
    englishHelp.openStart(nullptr);
    ASSERT_NE(englishHelp.window(), nullptr);
    EXPECT_EQ(englishHelp.window()->windowTitle(), "Rykmere Help");
    const QString page = englishHelp.window()->findChild<QTextBrowser*>()->toPlainText();
    EXPECT_TRUE(page.contains("Update mode")) << page.toStdString();
}

} // namespace
} // namespace ryk::test
