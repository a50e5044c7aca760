// The charts of a report for the doctor: each vital drawn by the plot as the screen draws it in
// the normal-range display, members on one axis, over the report's period.
#pragma once

#include "history/core/DoctorReport.h"

class ChartController;
class Fl_Paged_Device;
class Fl_Window;

class DoctorReportCharts {
public:
    explicit DoctorReportCharts(const DoctorReport& report);
    ~DoctorReportCharts();
    DoctorReportCharts(const DoctorReportCharts&) = delete;
    DoctorReportCharts& operator=(const DoctorReportCharts&) = delete;

    // Draws the chart of the report's vital into the box, in points, on the device's current page.
    void draw(Fl_Paged_Device& device, int vital, int x, int y, int w, int h);

    // The plot's size in pixels: printed at most this large, its smallest text (10 pixels) stays
    // at 7 points or more on A4 and Letter.
    static constexpr int plotWidth = 760, plotHeight = 400;

private:
    const DoctorReport& report;
    Fl_Window* holder;
    ChartController* chart;
};
