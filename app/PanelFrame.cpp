#include "app/PanelFrame.h"

#include "app/Palette.h"

#include <FL/Fl_Box.H>

void PanelFrame::add(int x, int y, int w, int h, const char* title)
{
    Fl_Box* background = new Fl_Box(x, y, w, h);
    background->box(FL_THIN_DOWN_BOX);
    background->color(panelColor);
    Fl_Box* titleBox = new Fl_Box(x + 3, y + 3, w - 6, 25, title);
    titleBox->box(FL_THIN_UP_BOX);
    titleBox->labelfont(FL_HELVETICA_BOLD);
    titleBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}
