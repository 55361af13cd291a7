#include "engine/DateTime.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <vector>

namespace ryk {
namespace {

using test::ScopedTimeZone;

struct DayCountCase {
    LocalFields fields;
    double days;
};

TEST(DateTime, DayCountAndWallClockConvertBothWays) {
    const DayCountCase cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 0, 0, 0}, 1.0},
        {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{1900, 3, 1, 0, 0, 0}, 61.0}, // 1900 is no leap year
        {{1970, 1, 1, 0, 0, 0}, 25569.0},
        {{2000, 1, 1, 12, 0, 0}, 36526.5},
        {{2000, 2, 29, 18, 0, 0}, 36585.75},
        {{1899, 12, 29, 6, 0, 0}, -1.25}, // before day 0 the fraction still counts from midnight
        {{1800, 1, 1, 0, 0, 0}, -36522.0},
        {{9999, 12, 31, 23, 59, 59}, 2958465.999988426},
    };
    for (const DayCountCase& c : cases) {
        const DateTime dt = DateTime::fromLocalFields(c.fields);
        EXPECT_NEAR(dt.days, c.days, 1e-9) << c.fields.year << "-" << c.fields.month;
        LocalFields back;
        ASSERT_TRUE(dt.toLocalFields(back));
        EXPECT_TRUE(back == c.fields)
            << c.fields.year << "-" << c.fields.month << "-" << c.fields.day << " came back as "
            << back.year << "-" << back.month << "-" << back.day << " " << back.hour << ":"
            << back.minute << ":" << back.second;
    }
}

TEST(DateTime, EverySecondOfADayRoundTrips) {
    // The fraction of a second must never round into the neighbouring second or day.
    for (int s = 0; s < 86400; s += 7) {
        const LocalFields f{2024, 2, 29, s / 3600, s / 60 % 60, s % 60};
        LocalFields back;
        ASSERT_TRUE(DateTime::fromLocalFields(f).toLocalFields(back));
        ASSERT_EQ(back.hour * 3600 + back.minute * 60 + back.second, s);
        ASSERT_EQ(back.day, 29);
    }
}

TEST(DateTime, FileTimesBecomeLocalWholeSeconds) {
    {
        ScopedTimeZone zone("UTC0");
        EXPECT_DOUBLE_EQ(DateTime::fromFileTime({0, 0}).days, 25569.0);
    }
    ScopedTimeZone zone("JST-9");
    EXPECT_NEAR(DateTime::fromFileTime({0, 0}).days, 25569.375, 1e-12);

    // Two files written within the same second compare equal; one second later does not.
    const DateTime a = DateTime::fromFileTime({1700000000, 1});
    const DateTime b = DateTime::fromFileTime({1700000000, 999999999});
    const DateTime c = DateTime::fromFileTime({1700000001, 0});
    EXPECT_EQ(a, b);
    EXPECT_LT(a.days, c.days);

    FileTime back;
    ASSERT_TRUE(b.toFileTime(back));
    EXPECT_EQ(back, (FileTime{1700000000, 0}));
}

TEST(DateTime, SummerTimeRoundTrips) {
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    for (const int64_t t : {int64_t{1719835200} /* July */, int64_t{1704110400} /* January */}) {
        FileTime back;
        ASSERT_TRUE(DateTime::fromFileTime({t, 0}).toFileTime(back));
        EXPECT_EQ(back.seconds, t);
    }
    LocalFields f;
    ASSERT_TRUE(DateTime::fromFileTime({1719835200, 0}).toLocalFields(f));
    EXPECT_EQ(f.hour, 14); // 12:00 UTC is 14:00 in summer
}

TEST(DateTime, ConverterAgreesAcrossEveryChangeOfOffset) {
    struct ZoneCase {
        const char* rule;
        int64_t change; // a moment the offset changes at
    };
    const ZoneCase zones[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1729990800},     // on the hour, summer time ends
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", 1728145800}, // on the half hour, summer time starts
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", 1712421000}, // on the half hour, summer time ends
        {"JST-9", 0},                                   // no change; times either side of 1970
    };
    for (const ZoneCase& zone : zones) {
        SCOPED_TRACE(zone.rule);
        ScopedTimeZone scoped(zone.rule);
        std::vector<int64_t> moments;
        for (int64_t t = zone.change - 2 * 3600; t <= zone.change + 2 * 3600; t += 7 * 60 + 1)
            moments.push_back(t);
        for (const int64_t d : {-3601, -3600, -1, 0, 1, 1799, 1800, 3599, 3600})
            moments.push_back(zone.change + d);
        // Hours that share the converter's place for an hour with the ones above.
        for (const int64_t d : {-8 * 3600 - 5, 8 * 3600 + 5, 16 * 3600})
            moments.push_back(zone.change + d);
        // Walked forward, backward and back and forth, so the converter meets each hour both
        // fresh and again.
        std::vector<int64_t> order = moments;
        order.insert(order.end(), moments.rbegin(), moments.rend());
        for (size_t i = 0; i < moments.size(); ++i)
            order.push_back(moments[i % 2 ? i : moments.size() - 1 - i]);
        FileTimeConverter converter;
        for (const int64_t t : order) {
            const DateTime expected = DateTime::fromFileTime({t, 0});
            EXPECT_EQ(converter.fromFileTime({t, 999999999}), expected) << "at " << t;
        }
    }
}

TEST(DateTime, ConverterTakesTheRuleInForceWhenItIsMade) {
    const FileTime t{1719835200, 0}; // 12:00 UTC in July
    LocalFields f;
    {
        ScopedTimeZone zone("JST-9");
        FileTimeConverter converter;
        ASSERT_TRUE(converter.fromFileTime(t).toLocalFields(f));
        EXPECT_EQ(f.hour, 21);
    }
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    FileTimeConverter converter;
    ASSERT_TRUE(converter.fromFileTime(t).toLocalFields(f));
    EXPECT_EQ(f.hour, 14);
}

TEST(DateTime, InvalidAndOutOfRangeDayCountsAreRefused) {
    FileTime out{42, 0};
    EXPECT_FALSE((DateTime{1.0, false}).toFileTime(out));
    EXPECT_FALSE((DateTime{1e300, true}).toFileTime(out));
    EXPECT_EQ(out.seconds, 42);
    EXPECT_EQ((DateTime{1.0, false}).text(), "(invalid)");
    EXPECT_EQ(DateTime::fromLocalFields({2004, 2, 1, 9, 5, 7}).text(), "2004/02/01 09:05:07");
}

} // namespace
} // namespace ryk
