// The one reading of dates ("M/D/YYYY") and clock times ("h:mm:ss AM") in this program: what a
// person types into the entry dialog, the history table and the information dialog, and what the
// chart and the table read back from a record.
#pragma once

#include <ctime>
#include <string>

class DateCheck {
public:
    enum Result { Valid = 0, Unreadable = -1, OutOfRange = -2, NotAmPm = -3 };
    // The codes of an entry's date and time, in the order the checks run.
    enum EntryResult { EntryValid = 0, DateUnreadable = -1, TimeUnreadable = -2, TimeNotAmPm = -3, EntryOutOfRange = -4 };

    // Three unsigned numbers separated by '/', blanks around them; anything else is Unreadable.
    // A day that is not in the calendar from 1900 to 9999 is OutOfRange; the year is never changed.
    static Result checkDate(const char* text, int* year = nullptr, int* month = nullptr, int* day = nullptr);
    // checkDate, and a day after today (the local date of now) is OutOfRange too.
    static Result checkBirthDate(const char* text, std::time_t now);
    // "h:mm:ss" then AM, am, PM or pm (NotAmPm for another word) and nothing after it. The hour
    // comes back on the 24-hour clock: 12:15:00 AM is 0, 12:15:00 PM is 12. An hour of 0 or over
    // 12, or minutes or seconds over 59 are OutOfRange.
    static Result checkTime(const char* text, int& hour, int& minute, int& second);
    // Stored texts are read leniently: any one character between the numbers, and a suffix told by
    // its first letter alone, as hand-edited records may hold.
    static bool readDate(const char* text, int& year, int& month, int& day);
    static bool readTime(const char* text, int& hour, int& minute, int& second);
    // An entry's stored date and time: when, normalised by mktime with the daylight-saving flag
    // left to it, and its mktime value.
    static bool readEntry(const char* date, const char* time, std::tm& when, std::time_t& seconds);

    // Both checks as the entry dialog runs them; when (daylight-saving flag left to the library)
    // receives the fields as typed. A time that the local clock skips is EntryOutOfRange.
    static EntryResult checkEntry(const char* date, const char* time, std::tm& when);
    // The fields of when name a moment of the local clock (mktime changes none of them).
    static bool existsLocally(const std::tm& when);
    static std::tm fields(int year, int month, int day, int hour, int minute, int second);

    // The one writing of a date ("03/07/2026", month first) and of a time of day on the 12-hour
    // clock ("09:05:00 PM", from the hour 0 to 23), as records keep them.
    static std::string dateText(int year, int month, int day);
    static std::string timeText(int hour, int minute, int second);

    // True for a day of the Gregorian calendar from 1900 to 9999.
    static bool isRealDate(int year, int month, int day);
};
