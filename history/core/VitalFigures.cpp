#include "history/core/VitalFigures.h"

#include "history/core/HistoryModel.h"
#include "records/Global.h"
#include "records/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

MemberFigures MemberFigures::of(const std::string& name, std::vector<double> values, const Ranges& ranges)
{
    MemberFigures f;
    f.name = name;
    f.count = values.size();
    f.ranged = ranges.normalKnown();
    if (values.empty())
        return f;
    double sum = 0;
    for (double v : values) {
        sum += v;
        switch (ranges.classify(v)) {
        case RangeClass::PanicLow:
            ++f.outsidePanic;
            // fall through
        case RangeClass::Low:
            ++f.below;
            break;
        case RangeClass::PanicHigh:
            ++f.outsidePanic;
            // fall through
        case RangeClass::High:
            ++f.above;
            break;
        default:
            ++f.inside;
        }
    }
    const size_t n = values.size();
    f.mean = sum / double(n);
    double squares = 0;
    for (double v : values)
        squares += (v - f.mean) * (v - f.mean);
    f.sd = n > 1 ? std::sqrt(squares / double(n - 1)) : std::nan("");
    std::sort(values.begin(), values.end());
    f.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    f.lowest = values.front();
    f.highest = values.back();
    return f;
}

MeanFigures MeanFigures::of(const VitalReadings& vital, const std::function<bool(const VitalReading&)>& takes)
{
    MeanFigures f;
    f.means.assign(vital.members.size(), 0.0);
    for (const VitalReading& r : vital.readings)
        if (r.complete() && takes(r)) {
            ++f.count;
            for (size_t m = 0; m < r.values.size(); ++m)
                f.means[m] += r.values[m];
        }
    for (double& mean : f.means)
        mean = f.count ? mean / double(f.count) : std::nan("");
    return f;
}

bool VitalFigures::inMorning(const VitalReading& r)
{
    return r.timeOfDay >= 4 * 3600 && r.timeOfDay < 12 * 3600;
}

bool VitalFigures::inEvening(const VitalReading& r)
{
    return r.timeOfDay >= 17 * 3600 && r.timeOfDay < 24 * 3600;
}

VitalFigures VitalFigures::of(const VitalReadings& vital)
{
    VitalFigures f;
    for (size_t m = 0; m < vital.members.size(); ++m) {
        std::vector<double> values;
        for (const VitalReading& r : vital.readings)
            if (r.has(m))
                values.push_back(r.values[m]);
        f.members.push_back(MemberFigures::of(vital.members[m], std::move(values), vital.ranges[m]));
    }
    f.complete = MeanFigures::of(vital, [](const VitalReading&) { return true; });
    f.morning = MeanFigures::of(vital, inMorning);
    f.evening = MeanFigures::of(vital, inEvening);

    size_t k = 0;
    for (const auto& condition : Global::conditions) {
        ConditionMeans c{condition.second, 0, std::vector<double>(vital.members.size(), 0.0)};
        std::vector<size_t> counts(vital.members.size(), 0);
        for (const VitalReading& r : vital.readings) {
            if (k >= r.conditions.size() || !r.conditions[k])
                continue;
            ++c.count;
            for (size_t m = 0; m < r.values.size(); ++m)
                if (r.has(m)) {
                    c.means[m] += r.values[m];
                    ++counts[m];
                }
        }
        for (size_t m = 0; m < c.means.size(); ++m)
            c.means[m] = counts[m] ? c.means[m] / double(counts[m]) : std::nan("");
        if (c.count >= 3)
            f.byCondition.push_back(std::move(c));
        ++k;
    }

    if (vital.isBloodPressure() && vital.members.size() == 2) {
        const std::vector<BpClass>& classes = Global::bpClasses;
        f.classCounts.assign(classes.size(), 0);
        for (const VitalReading& r : vital.readings) {
            if (!r.complete())
                continue;
            size_t highest = classes.size();
            for (size_t c = 0; c < classes.size(); ++c)
                if (classes[c].contains(r.values[0], r.values[1]))
                    highest = c;
            if (highest < classes.size())
                ++f.classCounts[highest];
            else
                ++f.noClass;
        }
    }
    return f;
}

std::string VitalFigures::joined(const std::vector<double>& means)
{
    std::string text;
    for (double mean : means)
        text += (text.empty() ? "" : "/") + NumberText::figure(mean);
    return text;
}

std::string VitalFigures::share(size_t part, size_t whole)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", whole ? 100.0 * double(part) / double(whole) : 0.0);
    return text;
}
