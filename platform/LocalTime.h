#pragma once

#include <cstdint>

namespace ryk {

/// A wall-clock time in the local time zone, whole seconds.
struct LocalFields {
    int year = 1899;
    int month = 12; ///< 1..12
    int day = 30;   ///< 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalFields&, const LocalFields&) = default;
};

/// Splits seconds since the epoch into local wall-clock fields; false when out of range.
bool toLocalFields(int64_t epochSeconds, LocalFields& out);
/// Seconds since the epoch of a local wall-clock time; false when it cannot be represented.
bool fromLocalFields(const LocalFields& fields, int64_t& epochSeconds);
/// The current time, seconds since the epoch.
int64_t currentEpochSeconds();

} // namespace ryk
