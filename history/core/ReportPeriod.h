// The period a report for the doctor covers: whole local calendar days from one date to another,
// both included, picked by hand or by a quick pick counted back from today.
#pragma once

#include <ctime>
#include <string>

struct ReportDay {
    int year, month, day; // 2026, 1..12, 1..31

    // Days since 1 January 1970, whatever the clock's daylight saving.
    long number() const;
    static ReportDay fromNumber(long days);
    static ReportDay of(const std::tm& local);
    static ReportDay of(std::time_t when);
    static ReportDay today();
    // The local midnight that starts the day.
    std::time_t start() const;
    bool operator<(const ReportDay& o) const { return number() < o.number(); }
    bool operator==(const ReportDay& o) const { return number() == o.number(); }
};

class ReportPeriod {
public:
    enum Pick { Last7Days, Last30Days, Last90Days, LastYear, AllReadings };
    static const char* const pickNames[5];

    ReportPeriod(ReportDay from, ReportDay to) : from(from), to(to) {}
    // "Last 30 days" is today and the 29 days before; "All readings" runs from the first reading's
    // day to the last one's (today when that is later).
    static ReportPeriod pick(Pick pick, ReportDay today, ReportDay first, ReportDay last);

    bool contains(std::time_t when) const;
    bool empty() const { return to < from; }
    // "November 8, 2026 to December 8, 2026"
    std::string text() const;
    // "2026-11-08 to 2026-12-08", for a file name.
    std::string shortText() const;
    static std::string longDate(ReportDay day);
    static std::string isoDate(ReportDay day);

    ReportDay from, to;
};
