// The days on which the local clock changes, read from the C library's zone data rather than
// written into the tests, so that the tests of the skipped and repeated hours exercise each zone's
// own: New York's, Berlin's, and Adelaide's, half an hour off Greenwich's hours.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

struct ClockChange {
    int year, month, day; // the local date of the change
    int hour, minute;     // where the local clock stands when it changes (2:00 when it jumps 2:00 to 3:00)
    int shift;            // seconds: forward (the interval after hour:minute is skipped), or back (< 0: repeated)

    // The clock's reading this many minutes after where it stood at the change, on the 12-hour
    // clock ("02:30:00 AM") and on the 24-hour clock ("02:30").
    std::string time(int minutesAfter) const
    {
        int minutes = hour * 60 + minute + minutesAfter;
        char text[48];
        std::snprintf(text, sizeof text, "%02d:%02d:00 %s", (minutes / 60) % 12 ? (minutes / 60) % 12 : 12,
                      minutes % 60, minutes < 720 ? "AM" : "PM");
        return text;
    }
    std::string time24(int minutesAfter) const
    {
        int minutes = hour * 60 + minute + minutesAfter;
        char text[48];
        std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
        return text;
    }
    // The middle of the skipped interval, or of the repeated one.
    std::string middle() const { return time(shift / 120); }
    // The date as the records write it, "10/04/2026" (or that many days later), and as the CSV
    // does, "2026-10-04".
    std::string date(int daysAfter = 0) const
    {
        std::tm noon{};
        noon.tm_year = year - 1900;
        noon.tm_mon = month - 1;
        noon.tm_mday = day + daysAfter;
        noon.tm_hour = 12;
        std::time_t t = timegm(&noon);
        gmtime_r(&t, &noon);
        char text[48];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", noon.tm_mon + 1, noon.tm_mday, noon.tm_year + 1900);
        return text;
    }
    std::string isoDate() const
    {
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return text;
    }
};

// The changes of the local clock (TZ as it is now) in a year, in order; none where it never changes.
inline std::vector<ClockChange> clockChanges(int year)
{
    std::tm first{};
    first.tm_year = year - 1900;
    first.tm_mday = 1;
    std::time_t from = timegm(&first) - 14 * 3600;
    first.tm_year += 1;
    const std::time_t to = timegm(&first) + 14 * 3600;
    auto offset = [](std::time_t t) {
        std::tm local;
        localtime_r(&t, &local);
        return local.tm_gmtoff;
    };
    std::vector<ClockChange> changes;
    for (std::time_t t = from; t + 900 <= to; t += 900) {
        if (offset(t) == offset(t + 900))
            continue;
        std::time_t before = t, after = t + 900; // the first second of the new offset is in (before, after]
        while (after - before > 1) {
            std::time_t mid = before + (after - before) / 2;
            (offset(mid) == offset(before) ? before : after) = mid;
        }
        std::time_t end = after - 1;
        std::tm last;
        localtime_r(&end, &last);
        int seconds = last.tm_hour * 3600 + last.tm_min * 60 + last.tm_sec + 1; // the clock's reading at the change
        ClockChange change{last.tm_year + 1900, last.tm_mon + 1, last.tm_mday, seconds / 3600, seconds / 60 % 60,
                           int(offset(after) - offset(before))};
        if (change.year == year)
            changes.push_back(change);
    }
    return changes;
}

// The local clock's change forward in a year, or back; the year must have both.
inline ClockChange clockChange(int year, bool forward)
{
    const std::vector<ClockChange> changes = clockChanges(year);
    return (changes.at(0).shift > 0) == forward ? changes.at(0) : changes.at(1);
}

// The zones whose changes the clock tests walk through: hours east and west of Greenwich, and a
// half-hour offset south of the equator, where the clock goes forward in October and back in April.
inline const std::vector<const char*>& zonesWithClockChanges()
{
    static const std::vector<const char*> zones = {"America/New_York", "Europe/Berlin", "Australia/Adelaide"};
    return zones;
}
