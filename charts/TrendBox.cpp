#include "charts/TrendBox.h"

#include "app/CurrentGroup.h"
#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/core/ChartModel.h"
#include "charts/IndividualTrend.h"

#include <FL/Fl_Pack.H>
#include <FL/Fl_Scroll.H>

#include <algorithm>

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

void TrendBox::draw()
{
    // The cards are rebuilt only when the chart's figures changed since they were made.
    if (chart) {
        chart->update();
        if (chart->revision() != shownRevision)
            populate();
    }
    Fl_Group::draw();
}

void TrendBox::populate()
{
    TRACE_SCOPE("TrendBox", "TrendBox::populate", 3);
    trends.clear();
    pack->clear();
    shownRevision = chart->revision();
    {
        // Built while drawing: windows opened later must not land inside the pack.
        CurrentGroup into(pack);
        for (const VisibleSeries& v : chart->visibleSeries)
            trends.push_back(new IndividualTrend(pack->h(), v.series->name, v.figures));
    }
    // The pack lays its cards out only when drawn; sized now, the scroll bar appears at once.
    int n = int(trends.size());
    pack->size(std::max(scroll->w() - 6, n * 150 + (n - 1) * pack->spacing()), pack->h());
    scroll->scroll_to(0, 0);
    damage(FL_DAMAGE_ALL);
}
