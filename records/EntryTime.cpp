#include "records/EntryTime.h"

#include "records/DateCheck.h"

#include <cctype>
#include <cstdlib>

namespace {

// Three unsigned numbers, each followed by one separator character (none after the last).
// Returns the text after the third number, or null.
const char* readTriple(const char* text, int (&value)[3])
{
    const char* p = text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (!*p || std::isdigit(static_cast<unsigned char>(*p)))
                return nullptr;
            ++p;
        }
        if (!std::isdigit(static_cast<unsigned char>(*p)))
            return nullptr;
        char* end;
        long n = std::strtol(p, &end, 10);
        if (end - p > 6)
            return nullptr;
        value[i] = int(n);
        p = end;
    }
    return p;
}

const char* skipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

}

bool EntryTime::parseDate(const char* text, int& year, int& month, int& day)
{
    int v[3];
    const char* rest = text ? readTriple(skipBlanks(text), v) : nullptr;
    if (!rest || *skipBlanks(rest) || !DateCheck::isRealDate(v[2], v[0], v[1]))
        return false;
    month = v[0];
    day = v[1];
    year = v[2];
    return true;
}

bool EntryTime::parseClock(const char* text, int& hour, int& minute, int& second)
{
    int v[3];
    const char* rest = text ? readTriple(skipBlanks(text), v) : nullptr;
    if (!rest || v[0] > 12 || v[1] > 59 || v[2] > 59)
        return false;
    char half = char(std::toupper(static_cast<unsigned char>(*skipBlanks(rest))));
    if (half != 'A' && half != 'P')
        return false;
    hour = v[0] % 12 + (half == 'P' ? 12 : 0);
    minute = v[1];
    second = v[2];
    return true;
}

bool EntryTime::parse(const char* date, const char* time, std::tm& when, std::time_t& seconds)
{
    int year, month, day, hour, minute, second;
    if (!parseDate(date, year, month, day) || !parseClock(time, hour, minute, second))
        return false;
    when = std::tm{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    seconds = std::mktime(&when);
    return true;
}
