// The chart panel: time-range buttons, the shown time window, and the tabs with the plot and the
// histogram; it also holds the series that are charted.
#pragma once

#include "records/Xml.h"

#include <FL/Fl_Group.H>

#include <ctime>
#include <list>
#include <map>
#include <string>
#include <vector>

class Fl_Box;
class Fl_Button;
class Fl_Pack;
class Fl_Tabs;

// Calendar times ordered by their mktime value, to whole seconds.
struct CalendarOrder {
    bool operator()(const std::tm& a, const std::tm& b) const;
};

struct ChartSeries {
    std::string name;
    std::map<std::tm, double, CalendarOrder> points;
    XmlNode* node = nullptr;
    char panicLowText[32] = "", panicHighText[32] = "", normalLowText[32] = "", normalHighText[32] = "";
    double panicLow = 0, panicHigh = 0, normalLow = 0, normalHigh = 0;
};

extern const char* const timeRangeNames[6];

class ChartController : public Fl_Group {
public:
    ChartController(int x, int w, int h);

    void refresh();
    void dropVar(const char* name);
    int addPointToVariable(std::string name, std::tm when, double value);
    int indexOfSeries(const char* name) const;

    static void timeButtonCB(Fl_Widget* button, void* data);

    int seriesCount = 0;
    int timeMode = 0;
    int displayType = 0;
    Fl_Pack* timePack;
    Fl_Pack* fromToPack;
    std::vector<Fl_Button*> timeButtons;
    Fl_Box* fromBox;
    Fl_Box* toBox;
    std::list<ChartSeries> series;
    Fl_Tabs* tabs;
    Fl_Group* graph;
    Fl_Group* histogramTab;
};
