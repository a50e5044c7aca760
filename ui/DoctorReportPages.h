// The pages of a report for the doctor drawn onto a paged device (printer, PostScript file): the
// heading and foot of every page around the blocks that DoctorReport put on it.
#pragma once

#include "history/core/DoctorReport.h"

#include <functional>

class Fl_Paged_Device;

class DoctorReportPages {
public:
    explicit DoctorReportPages(const DoctorReport& report);

    // The pages for a printable area of width by height points.
    void layOut(int width, int height);
    int count() const { return int(pages.size()); }

    // Draws every page, each between start_page and end_page, laid out for the device's printable
    // area. progress is asked after each page and returns false to stop: then false.
    bool draw(Fl_Paged_Device& device, const std::function<bool(int done, int pages)>& progress);

    // Draws a chart block's vital into the box, in points; no charts without it.
    std::function<void(Fl_Paged_Device& device, int vital, int x, int y, int w, int h)> drawChart;

    static constexpr int headTop = 0, contentTop = 34, footHeight = 26;

private:
    void drawPage(Fl_Paged_Device& device, int pageNumber, int width, int height);
    // A table's row (or its titles) in the columns of a table left to left + width.
    static void drawRow(const std::vector<std::string>& cells, bool titles, int left, int width, int baseline);
    // A line of text at size, made smaller (not under 7 points) until it fits into width.
    static void fitted(const std::string& text, int font, double size, int x, int y, int width);

    const DoctorReport& report;
    std::vector<std::vector<size_t>> pages;
};
