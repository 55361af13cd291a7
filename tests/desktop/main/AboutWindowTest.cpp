#include "desktop/main/AboutWindow.h"

#include "Version.h"
#include "platform/qt/ByteText.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace ryk {
namespace {

class AboutWindowTest : public ::testing::Test {
protected:
    AboutWindowTest() {
        window.setUrlOpener([this](const QUrl& url) { opened.push_back(url); });
    }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }

    AboutWindow window;
    QList<QUrl> opened;
};

TEST_F(AboutWindowTest, ShowsTheBuildsVersionAndTheRunningExecutable) {
    EXPECT_EQ(window.windowTitle(), "Rykのﾊﾞｰｼﾞｮﾝ情報");
    // The same text as ryk-cli --version, with every part the build fills in.
    EXPECT_EQ(window.versionLine(), RYK_VERSION_TEXT);
    static const QRegularExpression form(QStringLiteral("^Rykmere Ver \\d+\\.\\d+ build \\d{8}$"));
    EXPECT_TRUE(form.match(window.versionLine()).hasMatch()) << window.versionLine().toStdString();
    EXPECT_TRUE(window.legalNotice().contains("Rykmere developers"));

    EXPECT_EQ(window.executablePath(), QCoreApplication::applicationFilePath());
}

TEST(AboutWindow, ShowsTheProgramsPathAsItIs) {
    // Linux tells names by their case and their bytes: any other spelling names another file.
    for (const std::string path : {"/opt/Rykmere/Bin/ryk", "/home/user/caf\xe9/ryk"}) {
        const AboutWindow window(nullptr, path);
        EXPECT_EQ(toBytes(window.executablePath()), path);
    }
}

TEST_F(AboutWindowTest, HomePageButtonOpensItsAddressAndEnterPressesOk) {
    QPushButton* homePage = button("homePageButton");
    ASSERT_NE(homePage, nullptr);
    EXPECT_EQ(homePage->text(), kHomePage);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(homePage, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.front(), QUrl(kHomePage));
    EXPECT_TRUE(window.isVisible());

    // Even after the click gave it the focus, Enter means OK, not a second visit.
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(AboutWindowTest, EveryControlHasAnAccessibleName) {
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    int named = 0;
    for (QWidget* control : controls) {
        if (!qobject_cast<QLabel*>(control) && !qobject_cast<QPushButton*>(control))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << control->objectName().toStdString();
        ++named;
    }
    EXPECT_EQ(named, 8);
}

} // namespace
} // namespace ryk
