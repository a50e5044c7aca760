#include "ui/DoctorReportCharts.h"

#include "app/CurrentGroup.h"
#include "app/Trace.h"
#include "charts/ChartController.h"
#include "charts/MyGraph.h"
#include "records/Global.h"

#include <FL/Fl_Paged_Device.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <sstream>

namespace {
const char* const source = "DoctorReportCharts";
}

// A window that is never shown holds the chart panel whose plot is printed.
DoctorReportCharts::DoctorReportCharts(const DoctorReport& report) : report(report)
{
    CurrentGroup topLevel(nullptr);
    holder = new Fl_Window(plotWidth + 16, plotHeight + 96 + 52);
    chart = new ChartController(0, plotWidth + 16, plotHeight + 96);
    holder->end();
    chart->graph->color(FL_WHITE);
}

DoctorReportCharts::~DoctorReportCharts()
{
    delete holder;
}

void DoctorReportCharts::draw(Fl_Paged_Device& device, int vital, int x, int y, int w, int h)
{
    TRACE_SCOPE(source, "DoctorReportCharts::draw", 3);
    const std::string& name = report.vitals[size_t(vital)].variable;
    ChartModel& model = chart->model;
    model.clear();
    model.setDisplayType(ChartModel::NormalRange);
    model.setFixedWindow(report.period.from.start(),
                         ReportDay::fromNumber(report.period.to.number() + 1).start() - 1);
    XmlNode* variable = Global::findVariableNode(name.c_str());
    std::vector<std::string> keys = Global::membersOf(name);
    if (keys.empty())
        keys.push_back("value");
    std::ostringstream ignored;
    for (const std::string& key : keys) {
        const std::string label = key == "value" ? name : Global::displayName(key);
        model.addSeries(ChartSeries::ranged(variable, label, key.c_str(), ignored));
    }
    MyGraph* graph = chart->graph;
    const double s = std::min(double(w) / graph->w(), double(h) / graph->h());
    device.scale(float(s), float(s));
    device.print_widget(graph, int(x / s), int(y / s));
    device.scale(1, 1);
}
