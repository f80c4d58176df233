#pragma once
// Dates, times of day and the weekday rule, free of any toolkit type.

namespace rt {

struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
    bool operator==(const Date&) const = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// 1 to 7, Sunday = 1.
int weekday(Date date);

// With the fraction of the second.
float secondsSinceMidnight(TimeOfDay time);

} // namespace rt
