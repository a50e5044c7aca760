#include "charts/ChartSeries.h"

#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/TextCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace {

bool readValue(const XmlNode* entry, const char* key, double& value)
{
    const char* text = Xml::childText(entry, key);
    char* end;
    value = std::strtod(text, &end);
    return end != text && ChartSeries::isChartable(value);
}

}

bool ChartSeries::isChartable(double value)
{
    return std::isfinite(value) && std::fabs(value) <= TextCheck::maxReading;
}

void ChartSeries::store(const std::tm& when, double value)
{
    std::tm key = when;
    key.tm_isdst = -1;
    std::time_t seconds = std::mktime(&key);
    auto at = std::lower_bound(points.begin(), points.end(), seconds,
                               [](const ChartPoint& p, std::time_t s) { return p.seconds < s; });
    if (at != points.end() && at->seconds == seconds)
        at->value = value;
    else
        points.insert(at, ChartPoint{key, seconds, value});
}

ChartSeries ChartSeries::fromEntries(const XmlNode* variable, const std::string& label, const char* key,
                                     std::ostream& errors)
{
    ChartSeries result;
    result.name = label;
    result.node = const_cast<XmlNode*>(variable);
    auto found = Global::derived.find(label);
    auto formula = found == Global::derived.end() ? nullptr : found->second.formula;
    const char* variableName = Xml::firstAttribute(variable);
    variableName = variableName ? variableName : "";

    for (const XmlNode* entry = variable ? variable->first_node("entry") : nullptr; entry;
         entry = entry->next_sibling("entry")) {
        bool present = formula ? Xml::child(entry, "systolic") && Xml::child(entry, "diastolic")
                               : Xml::child(entry, key) != nullptr;
        if (!present)
            continue;
        ChartPoint point;
        double systolic, diastolic;
        bool readable = formula ? readValue(entry, "systolic", systolic) && readValue(entry, "diastolic", diastolic)
                                : readValue(entry, key, point.value);
        if (readable && formula) {
            point.value = formula(systolic, diastolic);
            readable = isChartable(point.value);
        }
        if (!readable || !DateCheck::readEntry(Xml::childText(entry, "date"), Xml::childText(entry, "time"),
                                           point.when, point.seconds)) {
            const char* id = Xml::attribute(entry, "id");
            errors << "ChartSeries: " << variableName << " entry " << (id ? id : "without id")
                   << " left out: date, time or value cannot be charted\n";
            continue;
        }
        result.points.push_back(point);
    }

    // Entries are kept in the order they were typed, which is mostly time order. A later entry of
    // the same second replaces an earlier one, so the stable sort keeps the last of each run.
    auto earlier = [](const ChartPoint& a, const ChartPoint& b) { return a.seconds < b.seconds; };
    if (!std::is_sorted(result.points.begin(), result.points.end(), earlier))
        std::stable_sort(result.points.begin(), result.points.end(), earlier);
    std::vector<ChartPoint>& p = result.points;
    size_t kept = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        if (kept > 0 && p[kept - 1].seconds == p[i].seconds)
            p[kept - 1] = p[i];
        else
            p[kept++] = p[i];
    }
    p.resize(kept);
    return result;
}
