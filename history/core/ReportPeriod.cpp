#include "history/core/ReportPeriod.h"

#include <algorithm>
#include <cstdio>

const char* const ReportPeriod::pickNames[5] = {"Last 7 days", "Last 30 days", "Last 90 days", "Last year", "All readings"};

// The civil-calendar day count of the proleptic Gregorian calendar.
long ReportDay::number() const
{
    const long y = month <= 2 ? year - 1 : year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

ReportDay ReportDay::fromNumber(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (m <= 2 ? 1 : 0)), m, d};
}

ReportDay ReportDay::of(const std::tm& local)
{
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

ReportDay ReportDay::of(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return of(local);
}

ReportDay ReportDay::today()
{
    return of(std::time(nullptr));
}

std::time_t ReportDay::start() const
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

ReportPeriod ReportPeriod::pick(Pick pick, ReportDay today, ReportDay first, ReportDay last)
{
    static const int days[] = {7, 30, 90, 365};
    if (pick == AllReadings)
        return {std::min(first, today), std::max(last, today)};
    return {ReportDay::fromNumber(today.number() - days[pick] + 1), today};
}

bool ReportPeriod::contains(std::time_t when) const
{
    const long day = ReportDay::of(when).number();
    return from.number() <= day && day <= to.number();
}

std::string ReportPeriod::longDate(ReportDay day)
{
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    char text[48];
    std::snprintf(text, sizeof text, "%s %d, %04d", months[(day.month + 11) % 12], day.day, day.year);
    return text;
}

std::string ReportPeriod::isoDate(ReportDay day)
{
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

std::string ReportPeriod::text() const
{
    return longDate(from) + " to " + longDate(to);
}

std::string ReportPeriod::shortText() const
{
    return isoDate(from) + " to " + isoDate(to);
}
