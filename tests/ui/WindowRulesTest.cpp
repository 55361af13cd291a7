#include "platform/qt/WindowRules.h"

#include "app/SettingsFile.h"
#include "support/EngineFixture.h"
#include "ui/AboutWindow.h"
#include "ui/HelpWindow.h"
#include "ui/MainWindow.h"
#include "ui/OptionsSheet.h"

#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ryk {
namespace {

TEST(WindowRules, AFrameIsMovedAndShrunkIntoTheFreeArea) {
    // A screen of 1280 x 1000 with a panel of 30 pixels at its top.
    const QRect available(0, 30, 1280, 970);
    const struct {
        const char* what;
        QRect frame, fitted;
    } cases[] = {
        {"inside", {100, 100, 400, 300}, {100, 100, 400, 300}},
        {"off the bottom", {380, 335, 900, 705}, {380, 295, 900, 705}},
        {"taller than the area", {380, 335, 900, 1100}, {380, 30, 900, 970}},
        {"under the panel and off the left", {-50, 0, 300, 200}, {0, 30, 300, 200}},
        {"wider than the area", {900, 40, 1500, 200}, {0, 40, 1280, 200}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitFrameWithin(c.frame, available), c.fitted) << c.what;
}

TEST(WindowRules, EveryKindOfWindowOpensInsideTheScreen) {
    test::EngineWorld world;
    JobSettings job;
    SettingsFile settings;
    HelpDesk help;
    MainWindow main(world.platform, job, settings, help);
    main.show();
    const std::function<QWidget*()> windows[] = {
        [&]() -> QWidget* { return &main; },
        // 900 x 680: larger than the test screen.
        [&]() -> QWidget* { return help.open(QStringLiteral("index.htm"), &main); },
        [&]() -> QWidget* { return new OptionsSheet(TransferMode::Update, &main); },
        [&]() -> QWidget* { return new AboutWindow(&main); },
        [&]() -> QWidget* {
            return new QMessageBox(QMessageBox::Warning, QStringLiteral("Rykmere"),
                                   QString(200, QLatin1Char('x')), QMessageBox::Ok, &main);
        },
    };
    for (const auto& make : windows) {
        QWidget* window = make();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QRect available = window->screen()->availableGeometry();
        EXPECT_TRUE(available.contains(window->frameGeometry()))
            << window->metaObject()->className() << " at " << window->frameGeometry().x() << ","
            << window->frameGeometry().y() << " " << window->frameGeometry().width() << "x"
            << window->frameGeometry().height();
        if (window != &main && window != help.window())
            delete window;
    }
}

} // namespace
} // namespace ryk
