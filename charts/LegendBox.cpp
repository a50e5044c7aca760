#include "charts/LegendBox.h"

#include "app/Palette.h"
#include "app/PanelFrame.h"

#include <FL/fl_draw.H>

LegendBox::LegendBox(int x, int y) : Fl_Group(x, y, 154, 197)
{
    PanelFrame::add(x, y, 154, 197, "Legend");
    end();
}

void LegendBox::draw()
{
    Fl_Group::draw();
    static const char* const labels[] = {"Panic Low", "Low", "Normal range", "High", "Panic High"};
    int row = y() + 40;
    for (RangeClass c : {RangeClass::PanicLow, RangeClass::Low, RangeClass::Normal, RangeClass::High,
                         RangeClass::PanicHigh}) {
        fl_draw_box(FL_PLASTIC_DOWN_BOX, x() + 10, row, 40, 18, rangeColor(c));
        fl_color(rangeColor(c));
        fl_font(FL_HELVETICA, 12);
        fl_draw(labels[int(c)], x() + 60, row, 80, 18, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        row += 33;
    }
}
