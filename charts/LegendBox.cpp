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
    static const struct {
        Fl_Color colour;
        const char* label;
    } entries[] = {{panicLowColor, "Panic Low"},
                   {lowColor, "Low"},
                   {normalColor, "Normal range"},
                   {highColor, "High"},
                   {panicHighColor, "Panic High"}};
    int row = y() + 40;
    for (const auto& entry : entries) {
        fl_draw_box(FL_PLASTIC_DOWN_BOX, x() + 10, row, 40, 18, entry.colour);
        fl_color(entry.colour);
        fl_font(FL_HELVETICA, 12);
        fl_draw(entry.label, x() + 60, row, 80, 18, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        row += 33;
    }
}
