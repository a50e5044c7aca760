// The "Analysis" panel under the chart, where each charted variable gets a card of figures.
#pragma once

#include <FL/Fl_Group.H>

#include <vector>

class Fl_Pack;
class Fl_Scroll;

class TrendBox : public Fl_Group {
public:
    TrendBox(int x, int y, int w);

    std::vector<Fl_Group*> trends;
    Fl_Pack* pack;
    Fl_Group* frame;
    Fl_Scroll* scroll;
};
