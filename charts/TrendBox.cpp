#include "charts/TrendBox.h"

#include "app/Trace.h"
#include "ui/Palette.h"

#include <FL/Fl_Pack.H>
#include <FL/Fl_Scroll.H>

TrendBox::TrendBox(int x, int y, int w) : Fl_Group(x, y, w, 197)
{
    TRACE_SCOPE("TrendBox", "TrendBox::TrendBox", 3);
    color(panelColor);
    frame = new Fl_Group(x, y, w, 197, "Analysis");
    frame->box(FL_THIN_DOWN_BOX);
    frame->color(panelColor);
    frame->align(FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    frame->labelfont(FL_HELVETICA_BOLD);
    scroll = new Fl_Scroll(x + 4, y + 25, w - 6, 170);
    scroll->color(panelColor);
    scroll->type(Fl_Scroll::HORIZONTAL);
    pack = new Fl_Pack(x + 10, y + 25, w - 12, 154);
    pack->type(Fl_Pack::HORIZONTAL);
    pack->spacing(10);
    pack->end();
    scroll->end();
    frame->end();
    frame->resizable(scroll);
    end();
    resizable(frame);
}
