#include "charts/IndividualTrend.h"

#include "app/Trace.h"
#include "charts/core/ChartModel.h"

#include <FL/Fl_Box.H>

namespace {

Fl_Box* addText(int x, int y, const char* text)
{
    Fl_Box* box = new Fl_Box(x, y, 30, 15);
    box->copy_label(text);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    return box;
}

}

IndividualTrend::IndividualTrend(int h, const std::string& name, const TrendFigures& figures)
    : Fl_Group(0, 0, 150, h)
{
    TRACE_SCOPE("IndividualTrend", "IndividualTrend::IndividualTrend", 3);
    box(FL_PLASTIC_DOWN_BOX);
    color(FL_WHITE);
    Fl_Box* title = new Fl_Box(5, 5, 140, 20);
    title->copy_label(name.c_str());
    title->labelfont(FL_HELVETICA_BOLD);
    const char* rows[3][2] = {{"Average:", figures.averageText.c_str()},
                              {"Minimum:", figures.minimumText.c_str()},
                              {"Maximum:", figures.maximumText.c_str()}};
    for (int r = 0; r < 3; ++r) {
        addText(10, 35 + 20 * r, rows[r][0]);
        addText(85, 35 + 20 * r, rows[r][1]);
    }
    end();
}
