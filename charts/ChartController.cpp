#include "charts/ChartController.h"

#include "app/Trace.h"
#include "charts/TrendBox.h"
#include "ui/MainWindow.h"
#include "ui/Palette.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Pack.H>
#include <FL/Fl_Tabs.H>

#include <cstring>
#include <iostream>

const char* const timeRangeNames[6] = {"Auto", "Year", "6 Months", "3 Months", "Month", "Week"};

namespace {

const char* const source = "ChartController";
const int timeIndexes[6] = {0, 1, 2, 3, 4, 5};

std::time_t secondsOf(std::tm when)
{
    return std::mktime(&when);
}

Fl_Box* addBox(int w, const char* label, Fl_Boxtype box)
{
    Fl_Box* b = new Fl_Box(0, 0, w, 20, label);
    b->box(box);
    return b;
}

}

bool CalendarOrder::operator()(const std::tm& a, const std::tm& b) const
{
    return secondsOf(b) - secondsOf(a) > 0;
}

ChartController::ChartController(int x, int w, int h) : Fl_Group(x, 52, w, h)
{
    TRACE_SCOPE(source, "ChartController::ChartController", 3);
    color(panelColor);
    box(FL_THIN_DOWN_BOX);
    timePack = new Fl_Pack(x + 10, 57, w, 20);
    timePack->type(Fl_Pack::HORIZONTAL);
    timePack->spacing(10);
    addBox(100, "Time Range:", FL_ROUNDED_FRAME);
    for (int i = 0; i < 6; ++i) {
        Fl_Button* button = new Fl_Button(0, 0, 80, 20, timeRangeNames[i]);
        button->callback(timeButtonCB, const_cast<int*>(&timeIndexes[i]));
        timeButtons.push_back(button);
    }
    timeButtons[0]->color(selectedButtonColor);
    timePack->end();
    timePack->deactivate();

    fromToPack = new Fl_Pack(x + 30, 84, w, 20);
    fromToPack->type(Fl_Pack::HORIZONTAL);
    fromToPack->spacing(10);
    addBox(35, "From: ", FL_NO_BOX);
    fromBox = addBox(70, nullptr, FL_PLASTIC_DOWN_BOX);
    fromBox->color(FL_WHITE);
    addBox(25, "To: ", FL_NO_BOX);
    toBox = addBox(70, nullptr, FL_PLASTIC_DOWN_BOX);
    toBox->color(FL_WHITE);
    fromToPack->end();
    fromToPack->deactivate();

    tabs = new Fl_Tabs(x + 3, 110, w - 6, h - 61);
    graph = new Fl_Group(x + 8, 140, w - 16, h - 96, "Graph");
    graph->box(FL_THIN_DOWN_BOX);
    graph->color(FL_WHITE);
    graph->end();
    histogramTab = new Fl_Group(x + 8, 140, w - 16, h - 96, "Histogram");
    histogramTab->box(FL_THIN_DOWN_BOX);
    histogramTab->color(FL_WHITE);
    histogramTab->end();
    tabs->end();
    resizable(tabs);
    end();
}

void ChartController::timeButtonCB(Fl_Widget* button, void* data)
{
    ChartController* chart = static_cast<ChartController*>(button->parent()->parent());
    TRACE_SCOPE(source, "ChartController::timeButtonCB", 3);
    chart->timeMode = *static_cast<const int*>(data);
    std::cout << "Mode is now " << chart->timeMode << std::endl;
    for (Fl_Button* b : chart->timeButtons)
        b->color(FL_BACKGROUND_COLOR);
    button->color(selectedButtonColor);
    chart->refresh();
}

void ChartController::refresh()
{
    redraw();
    if (seriesCount == 0) {
        timePack->deactivate();
        fromToPack->deactivate();
        for (Fl_Button* b : timeButtons)
            b->color(FL_BACKGROUND_COLOR);
        timeButtons[0]->color(selectedButtonColor);
        timeMode = 0;
    } else {
        timePack->activate();
        fromToPack->activate();
    }
    if (mainWindow && mainWindow->trendBox)
        mainWindow->trendBox->redraw();
}

void ChartController::dropVar(const char* name)
{
    TRACE_SCOPE(source, "ChartController::dropVar", 3);
    if (!std::strcmp(name, "all")) {
        series.clear();
        seriesCount = 0;
        return;
    }
    for (auto it = series.begin(); it != series.end(); ++it)
        if (it->name == name) {
            series.erase(it);
            --seriesCount;
            return;
        }
}

int ChartController::addPointToVariable(std::string name, std::tm when, double value)
{
    TRACE_SCOPE(source, "ChartController::addPointToVariable", 3);
    for (ChartSeries& s : series)
        if (s.name == name) {
            s.points[when] = value;
            return 0;
        }
    return -1;
}

int ChartController::indexOfSeries(const char* name) const
{
    int index = 0, found = -1;
    for (const ChartSeries& s : series) {
        if (s.name == name)
            found = index;
        ++index;
    }
    return found;
}
