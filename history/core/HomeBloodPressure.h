// The home blood-pressure average of home monitoring practice: the seven calendar days ending on
// the last day of the period that holds a reading, the first day of them holding readings left
// out, the mean of every remaining reading holding both values; given only for at least twelve
// readings over three days. A summary for the doctor, never a diagnosis.
#pragma once

#include "history/core/VitalFigures.h"

#include <string>
#include <vector>

struct HomeBloodPressure {
    static constexpr double systolicThreshold = 135, diastolicThreshold = 85;
    static constexpr int minReadings = 12, minDays = 3, windowDays = 7;

    bool enough = false;
    ReportDay first{0, 0, 0}, last{0, 0, 0}; // the seven days
    ReportDay leftOut{0, 0, 0};              // the first day holding readings
    int days = 0;                            // days with readings after the one left out
    MeanFigures all, morning, evening;       // of the readings after the day left out

    // At or above the home threshold: a systolic mean of 135 or more, or a diastolic one of 85.
    static bool atOrAbove(const MeanFigures& means);

    static HomeBloodPressure of(const VitalReadings& bloodPressure);
    // The lines the report prints: the rule, then the result in plain words.
    std::vector<std::string> lines() const;
};
