// The "Analysis" panel under the chart, where each charted variable gets a card of figures.
#pragma once

#include <FL/Fl_Group.H>

#include <vector>

class ChartModel;
class Fl_Pack;
class Fl_Scroll;
class IndividualTrend;

class TrendBox : public Fl_Group {
public:
    TrendBox(int x, int y, int w);
    void draw() override;
    // Builds one card per charted series from the figures of the chart's time window.
    void populate();

    std::vector<IndividualTrend*> trends;
    Fl_Pack* pack;
    Fl_Group* frame;
    Fl_Scroll* scroll;
    ChartModel* chart = nullptr;

private:
    unsigned shownRevision = 0;
};
