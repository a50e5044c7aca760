#include "records/DateCheck.h"

#include <cstdio>
#include <cstring>

DateCheck::Result DateCheck::checkDate(const char* text)
{
    int month, day, year, end = 0;
    if (std::sscanf(text, "%d/%d/%d%n", &month, &day, &year, &end) < 3 || text[end + std::strspn(text + end, " ")])
        return Unreadable;
    return isRealDate(year, month, day) ? Valid : OutOfRange;
}

bool DateCheck::isRealDate(int year, int month, int day)
{
    static const int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= daysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
}
