// The calendar time of an entry, read from its `date` ("M/D/YYYY") and `time` ("h:mm:ss AM") texts.
// The chart, the history table and the entry dialog all read entries through this one parse.
#pragma once

#include <ctime>

class EntryTime {
public:
    // Fills when, normalised by mktime with the daylight-saving flag left to it, and its mktime
    // value. Refuses a text that does not hold a real day from 1900 on, or a clock time that is
    // not h:mm:ss up to 12:59:59 followed by AM or PM.
    static bool parse(const char* date, const char* time, std::tm& when, std::time_t& seconds);
    static bool parseDate(const char* text, int& year, int& month, int& day);
    // The hour on the 24-hour clock: "12:15:00 AM" is 0, "12:15:00 PM" is 12.
    static bool parseClock(const char* text, int& hour, int& minute, int& second);
};
