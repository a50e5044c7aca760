#include "charts/core/ChartSeries.h"

#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/TextCheck.h"

#include <algorithm>
#include <cctype>
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
    auto at = std::upper_bound(points.begin(), points.end(), seconds,
                               [](std::time_t s, const ChartPoint& p) { return s < p.seconds; });
    points.insert(at, ChartPoint{key, seconds, value});
}

ChartSeries ChartSeries::ranged(const XmlNode* variable, const std::string& label, const char* key,
                                std::ostream& errors)
{
    ChartSeries series = fromEntries(variable, label, key, errors);
    series.ranges = Global::rangesOf(label);
    return series;
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

    size_t place = 0;
    for (const XmlNode* entry = variable ? variable->first_node("entry") : nullptr; entry;
         entry = entry->next_sibling("entry"), ++place) {
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
        const char* id = Xml::attribute(entry, "id");
        point.id = id && std::isdigit(static_cast<unsigned char>(*id)) ? std::strtoll(id, nullptr, 10) : -1;
        point.entry = place;
        result.points.push_back(point);
    }

    // Entries are kept in the order they were typed, which is mostly time order.
    auto earlier = [](const ChartPoint& a, const ChartPoint& b) { return a.before(b); };
    if (!std::is_sorted(result.points.begin(), result.points.end(), earlier))
        std::sort(result.points.begin(), result.points.end(), earlier);
    return result;
}
