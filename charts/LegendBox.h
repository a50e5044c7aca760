// The "Legend" panel: the five colours in which a value is shown against its ranges.
#pragma once

#include <FL/Fl_Group.H>

class LegendBox : public Fl_Group {
public:
    LegendBox(int x, int y);
    void draw() override;
};
