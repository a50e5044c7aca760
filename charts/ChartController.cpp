#include "charts/ChartController.h"

#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/MyGraph.h"
#include "history/HistogramTab.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Pack.H>
#include <FL/Fl_Tabs.H>

#include <cstring>
#include <iostream>

namespace {

const char* const source = "ChartController";
const int timeIndexes[6] = {0, 1, 2, 3, 4, 5};

Fl_Box* addBox(int w, const char* label, Fl_Boxtype box)
{
    Fl_Box* b = new Fl_Box(0, 0, w, 20, label);
    b->box(box);
    return b;
}

Fl_Pack* addRow(int x, int y, int w)
{
    Fl_Pack* row = new Fl_Pack(x, y, w, 20);
    row->type(Fl_Pack::HORIZONTAL);
    row->spacing(10);
    return row;
}

}

ChartController::ChartController(int x, int w, int h) : Fl_Group(x, 52, w, h)
{
    TRACE_SCOPE(source, "ChartController::ChartController", 3);
    color(panelColor);
    box(FL_THIN_DOWN_BOX);
    timePack = addRow(x + 10, 57, w);
    addBox(100, "Time Range:", FL_ROUNDED_FRAME);
    for (int i = 0; i < 6; ++i) {
        Fl_Button* button = new Fl_Button(0, 0, 80, 20, timeRangeNames[i]);
        button->callback(timeButtonCB, const_cast<int*>(&timeIndexes[i]));
        timeButtons.push_back(button);
    }
    timeButtons[0]->color(selectedButtonColor);
    timePack->end();
    timePack->deactivate();

    fromToPack = addRow(x + 30, 84, w);
    addBox(35, "From: ", FL_NO_BOX);
    fromBox = addBox(70, nullptr, FL_PLASTIC_DOWN_BOX);
    fromBox->color(FL_WHITE);
    addBox(25, "To: ", FL_NO_BOX);
    toBox = addBox(70, nullptr, FL_PLASTIC_DOWN_BOX);
    toBox->color(FL_WHITE);
    fromToPack->end();
    fromToPack->deactivate();

    tabs = new Fl_Tabs(x + 3, 110, w - 6, h - 61);
    graph = new MyGraph(x + 8, w - 16, h - 96, model);
    histogramTab = new HistogramTab(x + 8, w - 16, h - 96, model);
    tabs->end();
    // The tab row keeps its height when the window grows or shrinks.
    tabs->resizable(graph);
    resizable(tabs);
    end();
}

void ChartController::updateView()
{
    // The trend panel may have brought the model up to date first.
    model.update();
    for (auto [box, text] : {std::make_pair(fromBox, model.fromText), std::make_pair(toBox, model.toText)})
        if (std::strcmp(box->label() ? box->label() : "", text))
            box->copy_label(text);
}

void ChartController::draw()
{
    TRACE_SCOPE(source, "ChartController::draw", 3);
    updateView();
    Fl_Group::draw();
}

void ChartController::timeButtonCB(Fl_Widget* button, void* data)
{
    ChartController* chart = static_cast<ChartController*>(button->parent()->parent());
    TRACE_SCOPE(source, "ChartController::timeButtonCB", 3);
    chart->model.setTimeMode(*static_cast<const int*>(data));
    std::cout << "Mode is now " << chart->model.timeMode() << std::endl;
    for (Fl_Button* b : chart->timeButtons)
        b->color(FL_BACKGROUND_COLOR);
    button->color(selectedButtonColor);
    chart->refresh();
}

void ChartController::refresh()
{
    if (model.seriesCount() == 0) {
        timePack->deactivate();
        fromToPack->deactivate();
        for (Fl_Button* b : timeButtons)
            b->color(FL_BACKGROUND_COLOR);
        timeButtons[0]->color(selectedButtonColor);
        model.setTimeMode(0);
    } else {
        timePack->activate();
        fromToPack->activate();
    }
    updateView();
    redraw();
    if (trendView)
        trendView->redraw();
}
