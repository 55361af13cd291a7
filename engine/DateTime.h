#pragma once

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"

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

} // namespace ryk
