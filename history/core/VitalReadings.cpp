#include "history/core/VitalReadings.h"

#include "history/core/HistoryModel.h"
#include "records/Global.h"
#include "records/RecordView.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

bool VitalReading::complete() const
{
    for (size_t i = 0; i < values.size(); ++i)
        if (!has(i))
            return false;
    return !values.empty();
}

std::string VitalReadings::unit() const
{
    static const struct {
        const char *variable, *unit;
    } units[] = {{"Blood Pressure", "mmHg"}, {"Heart Rate", "beats per minute"}, {"Pulse", "beats per minute"},
                 {"Temperature", "\xC2\xB0" "F"}, {"SpO2", "%"}, {"Blood Sugar", "mg/dL"}};
    for (const auto& u : units)
        if (variable == u.variable)
            return u.unit;
    return "";
}

std::string VitalReadings::withUnit(const std::string& number) const
{
    const std::string u = unit();
    return u.empty() ? number : u == "%" ? number + u : number + " " + u;
}

VitalReadings VitalReadings::load(const std::string& variable, const ReportPeriod& period)
{
    VitalReadings vital;
    vital.variable = variable;
    HistoryModel model(variable);
    std::ostringstream ignored;
    model.loadData(ignored);
    const int valueColumns = model.firstConditionColumn - 2;
    for (int i = 0; i < valueColumns; ++i)
        vital.members.push_back(model.columnTitles[size_t(i + 2)]);
    vital.ranges = model.columnRanges;
    for (const HistoryRow& row : model.rows) {
        if (row.when == std::numeric_limits<std::int64_t>::min() || !period.contains(std::time_t(row.when)))
            continue;
        VitalReading reading{std::time_t(row.when), ReportDay::of(std::time_t(row.when)), row.timeOfDay,
                             row.cells[0], row.cells[1], {}, row.conditions};
        bool any = false;
        for (int i = 0; i < valueColumns; ++i) {
            const bool present = !row.cells[size_t(i + 2)].empty() && std::isfinite(row.values[size_t(i)]);
            reading.values.push_back(present ? row.values[size_t(i)] : std::nan(""));
            any = any || present;
        }
        if (any)
            vital.readings.push_back(std::move(reading));
    }
    std::stable_sort(vital.readings.begin(), vital.readings.end(),
                     [](const VitalReading& a, const VitalReading& b) { return a.when < b.when; });
    return vital;
}

std::vector<std::string> VitalReadings::vitals()
{
    std::vector<std::string> names;
    for (const char* name : RecordView::tabItems("Vitals"))
        names.push_back(name);
    return names;
}

bool VitalReadings::span(const std::vector<std::string>& vitals, ReportDay& first, ReportDay& last)
{
    const ReportPeriod everything({1900, 1, 1}, {9999, 12, 31});
    bool found = false;
    for (const std::string& name : vitals)
        for (const VitalReading& r : load(name, everything).readings) {
            if (!found || r.day < first)
                first = r.day;
            if (!found || last < r.day)
                last = r.day;
            found = true;
        }
    return found;
}
