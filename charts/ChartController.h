// The chart panel: time-range buttons, the shown time window, and the tabs with the plot and the
// histogram. What it shows comes from the ChartModel it holds: the charted series and their arithmetic.
#pragma once

#include "charts/core/ChartModel.h"

#include <FL/Fl_Group.H>

#include <vector>

class Fl_Box;
class Fl_Button;
class Fl_Pack;
class Fl_Tabs;
class HistogramTab;
class MyGraph;

class ChartController : public Fl_Group {
public:
    ChartController(int x, int w, int h);
    void draw() override;

    // After any change of the series or the time range: redraws the panel and the trend panel,
    // and greys the controls of an empty chart.
    void refresh();

    static void timeButtonCB(Fl_Widget* button, void* data);

    ChartModel model;

    Fl_Pack* timePack;
    Fl_Pack* fromToPack;
    std::vector<Fl_Button*> timeButtons;
    Fl_Box* fromBox;
    Fl_Box* toBox;
    Fl_Tabs* tabs;
    MyGraph* graph;
    HistogramTab* histogramTab;
    Fl_Widget* trendView = nullptr; // the panel of trend figures, redrawn with the chart

private:
    // Brings the model up to date and the date boxes with it.
    void updateView();
};
