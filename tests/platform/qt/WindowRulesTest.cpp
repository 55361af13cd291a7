#include "platform/qt/WindowRules.h"

#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

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

} // namespace
} // namespace ryk
