#include "history/core/HomeBloodPressure.h"

#include <algorithm>
#include <set>

bool HomeBloodPressure::atOrAbove(const MeanFigures& means)
{
    return means.count && (means.means[0] >= systolicThreshold || means.means[1] >= diastolicThreshold);
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
    if (!any || bp.members.size() != 2)
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
    auto used = [&](const VitalReading& r) { return r.day.number() > leftOut && r.day.number() <= lastDay; };
    h.all = MeanFigures::of(bp, used);
    h.morning = MeanFigures::of(bp, [&](const VitalReading& r) { return used(r) && VitalFigures::inMorning(r); });
    h.evening = MeanFigures::of(bp, [&](const VitalReading& r) { return used(r) && VitalFigures::inEvening(r); });
    h.enough = h.days >= minDays && h.all.count >= size_t(minReadings);
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
    out.push_back("Days " + ReportPeriod::longDate(first) + " to " + ReportPeriod::longDate(last) +
                  ", without " + ReportPeriod::longDate(leftOut) + ": " + std::to_string(all.count) +
                  " readings used over " + std::to_string(days) + " days.");
    out.push_back("Home average: mean " + VitalFigures::joined(all.means) + " mmHg, " +
                  (atOrAbove(all) ? "at or above the home threshold of 135/85 mmHg."
                                  : "below the home threshold of 135/85 mmHg."));
    auto part = [](const char* name, const MeanFigures& m) {
        if (!m.count)
            return std::string(name) + " mean: no readings";
        return std::string(name) + " mean " + VitalFigures::joined(m.means) + " mmHg (" + std::to_string(m.count) +
               " readings, " + (atOrAbove(m) ? "at or above" : "below") + " the threshold)";
    };
    out.push_back(part("Morning", morning) + ";");
    out.push_back(part("evening", evening) + ".");
    out.push_back("This average is a summary for your doctor, not a diagnosis.");
    return out;
}
