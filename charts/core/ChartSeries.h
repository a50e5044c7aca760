// One charted variable: its readings keyed by calendar time, with the ranges it is drawn against.
// Display-free, so that tests and the fuzz target build series straight from a record element.
#pragma once

#include "records/Ranges.h"
#include "records/Xml.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <string>
#include <vector>

// Points are ordered by seconds, then by id, then by place in the record; a systolic and a
// diastolic reading of one entry share all three.
struct ChartPoint {
    std::tm when;
    std::time_t seconds; // mktime of when, worked out once
    double value;
    // A reading stored after the series was read from the record keeps these: it comes last.
    long long id = LLONG_MAX;     // the entry's id; -1 for an entry without a readable one
    std::size_t entry = SIZE_MAX; // the entry's place among the variable's entries

    bool before(const ChartPoint& other) const
    {
        return seconds != other.seconds ? seconds < other.seconds
               : id != other.id         ? id < other.id
                                        : entry < other.entry;
    }
};

struct ChartSeries {
    std::string name;
    std::vector<ChartPoint> points; // in time order; every reading is a point, however many share a second
    XmlNode* node = nullptr;
    Ranges ranges;

    // Inserts in time order, after the readings of the same second: a new entry has the highest id.
    void store(const std::tm& when, double value);

    // The readings of a variable's entries under the value key ("value", "systolic", ...), or of
    // the derived variable named by label. Entries without the needed values are skipped; entries
    // whose date, time or value cannot be charted are skipped with one line on errors.
    static ChartSeries fromEntries(const XmlNode* variable, const std::string& label, const char* key,
                                   std::ostream& errors);
    // The same with the bounds the record gives the label (Global::rangesOf), as the chart shows it.
    static ChartSeries ranged(const XmlNode* variable, const std::string& label, const char* key,
                              std::ostream& errors);
    // Finite and of a size that the scales and pixel arithmetic can take.
    static bool isChartable(double value);
};
