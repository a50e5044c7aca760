#include "history/core/HomeBloodPressure.h"

#include "history/core/VitalFigures.h"

#include <algorithm>
#include <set>

bool HomeBloodPressure::atOrAbove(double s, double d)
{
    return s >= systolicThreshold || d >= diastolicThreshold;
}

HomeBloodPressure HomeBloodPressure::of(const VitalReadings& bp)
{
    HomeBloodPressure h;
    long lastDay = 0;
    bool any = false;
    for (const VitalReading& r : bp.readings)
        if (r.complete()) {
            lastDay = any ? std::max(lastDay, r.day.number()) : r.day.number();
            any = true;
        }
    if (!any)
        return h;
    h.last = ReportDay::fromNumber(lastDay);
    h.first = ReportDay::fromNumber(lastDay - windowDays + 1);
    std::set<long> daysHeld;
    for (const VitalReading& r : bp.readings)
        if (r.complete() && r.day.number() >= h.first.number() && r.day.number() <= lastDay)
            daysHeld.insert(r.day.number());
    const long leftOut = *daysHeld.begin();
    h.leftOut = ReportDay::fromNumber(leftOut);
    h.days = int(daysHeld.size()) - 1;
    double s = 0, d = 0, ms = 0, md = 0, es = 0, ed = 0;
    for (const VitalReading& r : bp.readings) {
        const long day = r.day.number();
        if (!r.complete() || day <= leftOut || day > lastDay)
            continue;
        ++h.readings;
        s += r.values[0];
        d += r.values[1];
        if (VitalFigures::inMorning(r)) {
            ++h.morningCount;
            ms += r.values[0];
            md += r.values[1];
        } else if (VitalFigures::inEvening(r)) {
            ++h.eveningCount;
            es += r.values[0];
            ed += r.values[1];
        }
    }
    h.enough = h.days >= minDays && h.readings >= size_t(minReadings);
    if (h.readings) {
        h.systolic = s / double(h.readings);
        h.diastolic = d / double(h.readings);
    }
    if (h.morningCount) {
        h.morningSystolic = ms / double(h.morningCount);
        h.morningDiastolic = md / double(h.morningCount);
    }
    if (h.eveningCount) {
        h.eveningSystolic = es / double(h.eveningCount);
        h.eveningDiastolic = ed / double(h.eveningCount);
    }
    return h;
}

std::vector<std::string> HomeBloodPressure::lines() const
{
    std::vector<std::string> out = {
        "The rule: the seven days that end on the last day of the period holding a blood-pressure reading;",
        "the first of them that holds readings is left out, and the mean of all remaining readings is taken.",
        "It needs at least 12 readings over 3 days, and is compared with the home threshold of 135/85 mmHg.",
    };
    if (!enough) {
        out.push_back("Not enough readings for a home blood-pressure average (at least 12 readings over 3 days "
                      "after the first day are needed)");
        return out;
    }
    const std::string pair = VitalFigures::joined({systolic, diastolic});
    out.push_back("Days " + ReportPeriod::longDate(first) + " to " + ReportPeriod::longDate(last) +
                  ", without " + ReportPeriod::longDate(leftOut) + ": " + std::to_string(readings) +
                  " readings used over " + std::to_string(days) + " days.");
    out.push_back("Home average: mean " + pair + " mmHg, " +
                  (atOrAbove() ? "at or above the home threshold of 135/85 mmHg."
                               : "below the home threshold of 135/85 mmHg."));
    auto part = [](const char* name, size_t count, double s, double d) {
        if (!count)
            return std::string(name) + " mean: no readings";
        return std::string(name) + " mean " + VitalFigures::joined({s, d}) + " mmHg (" + std::to_string(count) +
               " readings, " + (atOrAbove(s, d) ? "at or above" : "below") + " the threshold)";
    };
    out.push_back(part("Morning", morningCount, morningSystolic, morningDiastolic) + ";");
    out.push_back(part("evening", eveningCount, eveningSystolic, eveningDiastolic) + ".");
    out.push_back("This average is a summary for your doctor, not a diagnosis.");
    return out;
}
