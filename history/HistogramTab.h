// The "Histogram" tab of the chart panel: one histogram per charted variable, laid out for one,
// two, or three and four of them, rebuilt whenever the chart's figures or the tab's size change.
#pragma once

#include <FL/Fl_Group.H>

class ChartModel;

class HistogramTab : public Fl_Group {
public:
    HistogramTab(int x, int w, int h, const ChartModel& chart);
    // Draws from the model as the chart panel, drawn first, brought it up to date.
    void draw() override;
    // Deletes the histograms and builds new ones from the chart's shown series.
    void populate();

    const ChartModel& chart;
    Fl_Group* area;

private:
    unsigned shownRevision = 0;
    int shownW = -1, shownH = -1;
};
