// The summary figures of one vital over a report's period: per member the count, mean, standard
// deviation of a sample, median, extremes and the counts against the ranges; for the vital the
// means of readings holding every member, by time of day and by condition, and for blood pressure
// the classes. Figures are kept unrounded; only their texts round.
#pragma once

#include "history/core/VitalReadings.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct MemberFigures {
    std::string name;
    size_t count = 0;
    double mean = 0, sd = 0, median = 0, lowest = 0, highest = 0; // sd NaN below two readings
    bool ranged = false; // a normal range is known
    size_t below = 0, inside = 0, above = 0, outsidePanic = 0;

    static MemberFigures of(const std::string& name, std::vector<double> values, const Ranges& ranges);
};

// The means of a set of readings that hold every member.
struct MeanFigures {
    size_t count = 0;
    std::vector<double> means;

    static MeanFigures of(const VitalReadings& vital, const std::function<bool(const VitalReading&)>& takes);
};

struct VitalFigures {
    struct ConditionMeans {
        std::string condition;
        size_t count;                   // readings with the condition
        std::vector<double> means;      // per member, over the readings holding it; NaN for none
    };

    std::vector<MemberFigures> members;
    MeanFigures complete, morning, evening; // morning 4:00 to 11:59, evening 17:00 to 23:59
    std::vector<ConditionMeans> byCondition; // conditions with at least three readings
    std::vector<size_t> classCounts;        // per blood-pressure class: readings whose highest class it is
    size_t noClass = 0;

    static VitalFigures of(const VitalReadings& vital);
    static bool inMorning(const VitalReading& r);
    static bool inEvening(const VitalReading& r);
    // "145.2/90.1" of several members.
    static std::string joined(const std::vector<double>& means);
    // "12%" of part in whole, whole percentages.
    static std::string share(size_t part, size_t whole);
};
