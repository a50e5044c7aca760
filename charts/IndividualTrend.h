// One card of the "Analysis" panel: a charted variable's average, minimum and maximum.
#pragma once

#include <FL/Fl_Group.H>

#include <string>

struct TrendFigures;

class IndividualTrend : public Fl_Group {
public:
    IndividualTrend(int h, const std::string& name, const TrendFigures& figures);
};
