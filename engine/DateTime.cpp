#include "engine/DateTime.h"

#include "platform/LocalTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace ryk {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, LocalFields& out) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
}

const int64_t kEpochOfDayZero = daysFromCivil(1899, 12, 30);

// The day count keeps the date in its whole part and the time of day in the fraction; before
// day 0 the fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
double dayCount(int64_t daysSinceEpoch, int64_t secondsOfDay) {
    const double date = static_cast<double>(daysSinceEpoch - kEpochOfDayZero);
    const double time = static_cast<double>(secondsOfDay) / static_cast<double>(kSecondsPerDay);
    return date < 0 ? date - time : date + time;
}

double dayCountFromFields(const LocalFields& f) {
    return dayCount(daysFromCivil(f.year, f.month, f.day),
                    f.hour * 3600 + f.minute * 60 + f.second);
}

int64_t floorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

/// The local time's distance from UTC at `epochSeconds`; false when it cannot be converted.
bool offsetAt(int64_t epochSeconds, int64_t& offset) {
    LocalFields f;
    if (!ryk::toLocalFields(epochSeconds, f))
        return false;
    const int64_t local = daysFromCivil(f.year, f.month, f.day) * kSecondsPerDay + f.hour * 3600 +
                          f.minute * 60 + f.second;
    offset = local - epochSeconds;
    return true;
}

bool fieldsFromDayCount(double days, LocalFields& out) {
    // Beyond about ±27 million years the fields no longer fit an int.
    if (!std::isfinite(days) || std::fabs(days) > 1e10)
        return false;
    double date = std::trunc(days);
    int64_t seconds = std::llround(std::fabs(days - date) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        date += days < 0 ? -1 : 1;
    }
    civilFromDays(static_cast<int64_t>(date) + kEpochOfDayZero, out);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return true;
}

} // namespace

DateTime DateTime::fromFileTime(const FileTime& time) {
    LocalFields fields;
    if (!ryk::toLocalFields(time.seconds, fields))
        return DateTime{0.0, false};
    return DateTime{dayCountFromFields(fields), true};
}

DateTime FileTimeConverter::fromFileTime(const FileTime& time) {
    constexpr int64_t kHour = 3600;
    const int64_t hour = floorDivide(time.seconds, kHour);
    Hour& slot = m_hours[static_cast<uint64_t>(hour) % kHours];
    if (!slot.filled || slot.hour != hour) {
        // Offsets change on the quarter or half hour in some zones, so an hour counts as
        // settled only when it starts and ends with the same offset. (Two changes within one
        // hour that cancel out are unknown to any zone.)
        int64_t first = 0;
        int64_t last = 0;
        slot.filled = true;
        slot.hour = hour;
        slot.offsetKnown = hour > INT64_MIN / kHour + 1 && hour < INT64_MAX / kHour - 1 &&
                           offsetAt(hour * kHour, first) &&
                           offsetAt(hour * kHour + kHour - 1, last) && first == last;
        slot.offsetSeconds = first;
    }
    if (!slot.offsetKnown)
        return DateTime::fromFileTime(time);
    const int64_t local = time.seconds + slot.offsetSeconds;
    const int64_t days = floorDivide(local, kSecondsPerDay);
    return DateTime{dayCount(days, local - days * kSecondsPerDay), true};
}

DateTime DateTime::fromLocalFields(const LocalFields& fields) {
    return DateTime{dayCountFromFields(fields), true};
}

bool DateTime::toLocalFields(LocalFields& out) const {
    return valid && fieldsFromDayCount(days, out);
}

std::string DateTime::text() const {
    LocalFields f;
    if (!toLocalFields(f))
        return "(invalid)";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return buffer;
}

DateTime DateTime::now() {
    return fromFileTime(FileTime{currentEpochSeconds(), 0});
}

bool DateTime::toFileTime(FileTime& out) const {
    LocalFields fields;
    int64_t seconds = 0;
    if (!toLocalFields(fields) || !ryk::fromLocalFields(fields, seconds))
        return false;
    out = FileTime{seconds, 0};
    return true;
}

} // namespace ryk
