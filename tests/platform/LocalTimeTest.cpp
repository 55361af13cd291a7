#include "platform/LocalTime.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

TEST(LocalTime, RoundTripsInTheZoneInForce) {
    const struct {
        const char* zone;
        LocalFields fields;
        int64_t epochSeconds;
    } cases[] = {
        {"JST-9", {1970, 1, 1, 9, 0, 0}, 0},
        {"UTC0", {1899, 12, 30, 0, 0, 0}, -2209161600}, // day zero of the engine's dates
        {"UTC0", {1969, 12, 31, 23, 59, 59}, -1},       // the value mktime also uses for errors
        {"CET-1CEST,M3.5.0,M10.5.0/3", {2021, 7, 1, 14, 0, 0}, 1625140800},
    };
    for (const auto& c : cases) {
        test::ScopedTimeZone zone(c.zone);
        int64_t seconds = 0;
        ASSERT_TRUE(fromLocalFields(c.fields, seconds)) << c.zone;
        EXPECT_EQ(seconds, c.epochSeconds) << c.zone;
        LocalFields back;
        ASSERT_TRUE(toLocalFields(c.epochSeconds, back));
        EXPECT_TRUE(back == c.fields)
            << c.zone << ": " << back.year << "-" << back.month << "-" << back.day << " "
            << back.hour << ":" << back.minute << ":" << back.second;
    }
}

} // namespace
} // namespace ryk
