#include "records/DateCheck.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

namespace {

const char* skipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Three unsigned numbers of at most six digits, with one separator character between them:
// separator, or any character but a digit when it is '\0'. Returns the text after the third
// number, or null.
const char* readTriple(const char* text, char separator, int (&value)[3])
{
    const char* p = skipBlanks(text);
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (!*p || isDigit(*p) || (separator && *p != separator))
                return nullptr;
            ++p;
        }
        if (!isDigit(*p))
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

DateCheck::Result dateOf(const char* text, char separator, int& year, int& month, int& day)
{
    int v[3];
    const char* rest = text ? readTriple(text, separator, v) : nullptr;
    if (!rest || *skipBlanks(rest))
        return DateCheck::Unreadable;
    month = v[0];
    day = v[1];
    year = v[2];
    return DateCheck::isRealDate(year, month, day) ? DateCheck::Valid : DateCheck::OutOfRange;
}

DateCheck::Result timeOf(const char* text, bool typed, int& hour, int& minute, int& second)
{
    int v[3];
    const char* rest = text ? readTriple(text, typed ? ':' : '\0', v) : nullptr;
    const char* word = rest ? skipBlanks(rest) : nullptr;
    if (!word || !*word)
        return DateCheck::Unreadable;
    char half = char(std::toupper(static_cast<unsigned char>(*word)));
    if (typed) {
        size_t length = std::strcspn(word, " \t");
        bool exact = length == 2 && (!std::strncmp(word, "AM", 2) || !std::strncmp(word, "am", 2) ||
                                     !std::strncmp(word, "PM", 2) || !std::strncmp(word, "pm", 2));
        if (!exact)
            return DateCheck::NotAmPm;
        if (*skipBlanks(word + length))
            return DateCheck::Unreadable;
    } else if (half != 'A' && half != 'P') {
        return DateCheck::Unreadable;
    }
    // A typed hour is on the 12-hour clock; a stored "00:30:00 AM" is still read as half past midnight.
    if (v[0] > 12 || (typed && v[0] < 1) || v[1] > 59 || v[2] > 59)
        return DateCheck::OutOfRange;
    hour = v[0] % 12 + (half == 'P' ? 12 : 0);
    minute = v[1];
    second = v[2];
    return DateCheck::Valid;
}

}

DateCheck::Result DateCheck::checkDate(const char* text, int* year, int* month, int* day)
{
    int y, m, d;
    Result result = dateOf(text, '/', y, m, d);
    if (year && month && day) {
        *year = y;
        *month = m;
        *day = d;
    }
    return result;
}

DateCheck::Result DateCheck::checkBirthDate(const char* text, std::time_t now)
{
    int year, month, day;
    Result result = checkDate(text, &year, &month, &day);
    if (result != Valid)
        return result;
    std::tm today;
    localtime_r(&now, &today);
    const std::tuple<int, int, int> born{year, month, day}, until{today.tm_year + 1900, today.tm_mon + 1, today.tm_mday};
    return born > until ? OutOfRange : Valid;
}

DateCheck::Result DateCheck::checkTime(const char* text, int& hour, int& minute, int& second)
{
    return timeOf(text, true, hour, minute, second);
}

bool DateCheck::readDate(const char* text, int& year, int& month, int& day)
{
    return dateOf(text, '\0', year, month, day) == Valid;
}

bool DateCheck::readTime(const char* text, int& hour, int& minute, int& second)
{
    return timeOf(text, false, hour, minute, second) == Valid;
}

bool DateCheck::readEntry(const char* date, const char* time, std::tm& when, std::time_t& seconds)
{
    int year, month, day, hour, minute, second;
    if (!readDate(date, year, month, day) || !readTime(time, hour, minute, second))
        return false;
    when = fields(year, month, day, hour, minute, second);
    seconds = std::mktime(&when);
    return true;
}

DateCheck::EntryResult DateCheck::checkEntry(const char* date, const char* time, std::tm& when)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    Result dateResult = checkDate(date, &year, &month, &day);
    if (dateResult == Unreadable)
        return DateUnreadable;
    Result timeResult = checkTime(time, hour, minute, second);
    if (timeResult == Unreadable)
        return TimeUnreadable;
    if (timeResult == NotAmPm)
        return TimeNotAmPm;
    when = fields(year, month, day, hour, minute, second);
    return dateResult == Valid && timeResult == Valid && existsLocally(when) ? EntryValid : EntryOutOfRange;
}

std::tm DateCheck::fields(int year, int month, int day, int hour, int minute, int second)
{
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    return when;
}

bool DateCheck::existsLocally(const std::tm& when)
{
    std::tm normalised = when;
    std::mktime(&normalised);
    return normalised.tm_year == when.tm_year && normalised.tm_mon == when.tm_mon &&
           normalised.tm_mday == when.tm_mday && normalised.tm_hour == when.tm_hour &&
           normalised.tm_min == when.tm_min && normalised.tm_sec == when.tm_sec;
}

bool DateCheck::isRealDate(int year, int month, int day)
{
    static const int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= daysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
}

namespace {

// Two digits at least, as "%02d" writes a number from 0 to 99.
char* putTwo(char* at, int n)
{
    *at++ = char('0' + n / 10);
    *at++ = char('0' + n % 10);
    return at;
}

bool isTwoDigits(int n)
{
    return n >= 0 && n <= 99;
}

}

// Written by hand where the fields allow it: an import writes a date and a time for every reading.
std::string DateCheck::dateText(int year, int month, int day)
{
    if (isTwoDigits(month) && isTwoDigits(day) && year >= 1000 && year <= 9999) {
        char text[10], *at = putTwo(text, month);
        *at++ = '/';
        at = putTwo(at, day);
        *at++ = '/';
        at = putTwo(putTwo(at, year / 100), year % 100);
        return std::string(text, at);
    }
    char text[48];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", month, day, year);
    return text;
}

std::string DateCheck::timeText(int hour, int minute, int second)
{
    if (hour >= 0 && hour <= 23 && isTwoDigits(minute) && isTwoDigits(second)) {
        char text[11], *at = putTwo(text, hour % 12 ? hour % 12 : 12);
        *at++ = ':';
        at = putTwo(at, minute);
        *at++ = ':';
        at = putTwo(at, second);
        *at++ = ' ';
        *at++ = hour < 12 ? 'A' : 'P';
        *at++ = 'M';
        return std::string(text, at);
    }
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %s", hour % 12 ? hour % 12 : 12, minute, second,
                  hour < 12 ? "AM" : "PM");
    return text;
}
