// The window tests drive real widgets, so the application object exists before any test runs.

#include "platform/qt/WindowRules.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the binary outside the test environment, possibly without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The windows keep the rules they keep in the program.
    ryk::WindowRules::install(application);
    return RUN_ALL_TESTS();
}
