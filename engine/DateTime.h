#pragma once

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

/// A local wall-clock date and time as a day count since 1899-12-30 (the time is the
/// fraction), whole seconds, with a valid/invalid status.
struct DateTime {
    double days = 0.0;
    bool valid = true;

    /// The file time, in local wall-clock time, cut to whole seconds.
    static DateTime fromFileTime(const FileTime& time);
    /// The current local time, whole seconds.
    static DateTime now();
    /// The moment as a file time; false when the day count cannot be represented.
    bool toFileTime(FileTime& out) const;
    /// The date and time of day of a wall-clock time.
    static DateTime fromLocalFields(const LocalFields& fields);
    /// Splits the day count into date and time of day; false when it is out of range.
    bool toLocalFields(LocalFields& out) const;
    /// "YYYY/MM/DD hh:mm:ss", or "(invalid)".
    std::string text() const;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

/// Converts many file times as DateTime::fromFileTime does, with the time-zone rule in force
/// when it is made. The rule is asked once per hour of file times instead of once per time:
/// within an hour whose both ends have the same offset from UTC the offset is taken as known.
class FileTimeConverter {
public:
    DateTime fromFileTime(const FileTime& time);

private:
    /// One hour of file times (seconds since the epoch / 3600, rounded down) and its offset.
    struct Hour {
        int64_t hour = 0;
        bool filled = false;
        /// False when the hour holds a change of offset: its times are converted one by one.
        bool offsetKnown = false;
        int64_t offsetSeconds = 0;
    };
    /// A few hours at once, since a file's times (written, created) mostly fall in different
    /// hours, each shared with many other files.
    static constexpr size_t kHours = 8;
    Hour m_hours[kHours];
};

} // namespace ryk
