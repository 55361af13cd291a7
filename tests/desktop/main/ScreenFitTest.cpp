#include "app/SettingsFile.h"
#include "desktop/main/AboutWindow.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/OptionsSheet.h"
#include "support/EngineFixture.h"

#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ryk {
namespace {

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
