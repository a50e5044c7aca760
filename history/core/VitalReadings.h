// The readings of one vital that fall in a report's period, oldest first, with the units and the
// ranges they are judged by, read from the open record as the history table reads them.
#pragma once

#include "history/core/ReportPeriod.h"

#include "records/Ranges.h"

#include <array>
#include <ctime>
#include <string>
#include <vector>

struct VitalReading {
    std::time_t when;
    ReportDay day;
    int timeOfDay;                // seconds since midnight
    std::string date, time;       // as stored
    std::vector<double> values;   // per member; NaN where the entry holds none
    std::vector<bool> conditions; // per condition of the catalogue, in key order

    bool has(size_t member) const { return values[member] == values[member]; }
    bool complete() const;
};

struct VitalReadings {
    std::string variable;                       // "Blood Pressure"
    std::vector<std::string> members;           // "Systolic", "Diastolic"; the variable alone for others
    std::vector<Ranges> ranges; // per member
    std::vector<VitalReading> readings;

    bool isBloodPressure() const { return variable == "Blood Pressure"; }
    // "mmHg", "beats per minute", "°F", "%", "mg/dL"; empty for a vital on its own scale.
    std::string unit() const;
    // A value with its unit: "145 mmHg", "98.6 °F", "97%".
    std::string withUnit(const std::string& number) const;

    // The readings of the open record's variable inside the period; entries whose date or time
    // cannot be read are left out.
    static VitalReadings load(const std::string& variable, const ReportPeriod& period);
    // The open record's vitals, in record order.
    static std::vector<std::string> vitals();
    // The first and last day holding a reading of any of the vitals; false when there is none.
    static bool span(const std::vector<std::string>& vitals, ReportDay& first, ReportDay& last);
};
