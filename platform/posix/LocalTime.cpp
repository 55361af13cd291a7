#include "platform/LocalTime.h"

#include <cerrno>
#include <ctime>

namespace ryk {

bool toLocalFields(int64_t epochSeconds, LocalFields& out) {
    const time_t t = static_cast<time_t>(epochSeconds);
    struct tm tm {};
    if (!localtime_r(&t, &tm))
        return false;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}

bool fromLocalFields(const LocalFields& fields, int64_t& epochSeconds) {
    struct tm tm {};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    tm.tm_sec = fields.second;
    tm.tm_isdst = -1; // let the zone rule decide, as a wall-clock time has no offset
    errno = 0;
    const time_t t = mktime(&tm);
    // -1 is also a real moment (1969-12-31 23:59:59 UTC); mktime sets no errno for it but
    // normalises the fields, so tell the two apart by errno only.
    if (t == static_cast<time_t>(-1) && errno != 0)
        return false;
    epochSeconds = static_cast<int64_t>(t);
    return true;
}

int64_t currentEpochSeconds() {
    return static_cast<int64_t>(time(nullptr));
}

} // namespace ryk
