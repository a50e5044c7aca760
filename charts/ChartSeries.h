// One charted variable: its readings keyed by calendar time, with the ranges it is drawn against.
// Display-free, so that tests and the fuzz target build series straight from a record element.
#pragma once

#include "records/Xml.h"

#include <ctime>
#include <iosfwd>
#include <string>
#include <vector>

struct ChartPoint {
    std::tm when;
    std::time_t seconds; // mktime of when, worked out once; points are ordered and matched by it
    double value;
};

struct ChartSeries {
    std::string name;
    std::vector<ChartPoint> points; // in time order, at most one per second
    XmlNode* node = nullptr;
    char panicLowText[32] = "", panicHighText[32] = "", normalLowText[32] = "", normalHighText[32] = "";
    double panicLow = 0, panicHigh = 0, normalLow = 0, normalHigh = 0;

    // Inserts in time order; a point of the same second takes the new value.
    void store(const std::tm& when, double value);

    // The readings of a variable's entries under the value key ("value", "systolic", ...), or of
    // the derived variable named by label. Entries without the needed values are skipped; entries
    // whose date, time or value cannot be charted are skipped with one line on errors.
    static ChartSeries fromEntries(const XmlNode* variable, const std::string& label, const char* key,
                                   std::ostream& errors);
    // Finite and of a size that the scales and pixel arithmetic can take.
    static bool isChartable(double value);
};
