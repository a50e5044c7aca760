#include "ui/DoctorReportPages.h"

#include "app/Trace.h"

#include <FL/Fl_Paged_Device.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace {
const char* const source = "DoctorReportPages";
}

DoctorReportPages::DoctorReportPages(const DoctorReport& report) : report(report)
{
}

void DoctorReportPages::layOut(int width, int height)
{
    (void)width;
    pages = report.pages(height - contentTop - footHeight);
}

void DoctorReportPages::fitted(const std::string& shown, int font, double size, int x, int y, int width)
{
    // The PostScript fonts' Latin-1 encoding has a minus sign where ASCII has the hyphen; the soft
    // hyphen is drawn as a hyphen, and read back as one from the PDF.
    std::string text;
    for (char c : shown)
        text += c == '-' ? std::string("\xC2\xAD") : std::string(1, c);
    fl_font(font, int(size));
    while (size > 7 && fl_width(text.c_str()) > width)
        fl_font(font, int(--size));
    fl_draw(text.c_str(), x, y);
}

bool DoctorReportPages::draw(Fl_Paged_Device& device, const std::function<bool(int, int)>& progress)
{
    TRACE_SCOPE(source, "DoctorReportPages::draw", 3);
    bool laidOut = false;
    for (int page = 0; page < count() || !laidOut; ++page) {
        device.start_page();
        int width, height;
        device.printable_rect(&width, &height);
        if (!laidOut) {
            layOut(width, height);
            laidOut = true;
        }
        drawPage(device, page, width, height);
        device.end_page();
        if (progress && !progress(page + 1, count()))
            return false;
    }
    return true;
}

void DoctorReportPages::drawRow(const std::vector<std::string>& cells, bool titles, int left, int width, int baseline)
{
    const int values = int(cells.size()) - 3;
    const int valueWidth = std::min(110, std::max(56, (width - 124) / (values + 2)));
    for (size_t c = 0; c < cells.size(); ++c) {
        const int x = left + (c == 0 ? 0 : c == 1 ? 62 : 124 + valueWidth * int(c - 2));
        const int w = c + 1 == cells.size() ? left + width - x : c < 2 ? 60 : valueWidth - 6;
        fitted(cells[c], titles ? FL_HELVETICA_BOLD : FL_HELVETICA, 8, x, baseline, w);
    }
}

void DoctorReportPages::drawPage(Fl_Paged_Device& device, int pageNumber, int width, int height)
{
    fl_color(FL_BLACK);
    fitted("Report for the doctor: " + report.personLine(), FL_HELVETICA_BOLD, 11, 0, headTop + 11, width * 2 / 3);
    fl_font(FL_HELVETICA, 8);
    const std::string made = report.madeLine();
    fl_draw(made.c_str(), width - int(fl_width(made.c_str())), headTop + 11);
    fitted(report.periodLine(), FL_HELVETICA, 9, 0, headTop + 24, width);
    fl_line(0, contentTop - 6, width, contentTop - 6);

    const int footTop = height - footHeight + 8;
    fl_line(0, footTop, width, footTop);
    const std::string number = DoctorReport::pageLine(pageNumber + 1, count());
    fl_font(FL_HELVETICA, 8);
    const int numberWidth = int(fl_width(number.c_str()));
    fl_draw(number.c_str(), width - numberWidth, footTop + 12);
    fitted(DoctorReport::disclaimer, FL_HELVETICA_ITALIC, 8, 0, footTop + 12, width - numberWidth - 12);

    double y = contentTop;
    const std::vector<size_t>& page = pages[size_t(pageNumber)];
    for (size_t k = 0; k < page.size(); ++k) {
        const ReportBlock& b = report.blocks[page[k]];
        const double h = DoctorReport::heightOf(b.kind);
        const int top = int(y);
        switch (b.kind) {
        case ReportBlock::Heading:
            fitted(b.cells[0], FL_HELVETICA_BOLD, 13, 0, top + 17, width);
            break;
        case ReportBlock::Subheading:
            fitted(b.cells[0], FL_HELVETICA_BOLD, 10, 0, top + 13, width);
            break;
        case ReportBlock::Text:
            fitted(b.cells[0], FL_HELVETICA, 9, 8, top + 9, width - 8);
            break;
        case ReportBlock::Chart:
            if (drawChart)
                drawChart(device, b.vital, 8, top, width - 8, int(h) - 8);
            fl_color(FL_BLACK);
            break;
        case ReportBlock::TableHeader: {
            fitted(DoctorReport::markKey, FL_HELVETICA_ITALIC, 7.5, 8, top + 8, width - 8);
            const int abreast = report.abreastOf(b);
            for (int side = 0; side < abreast; ++side)
                drawRow(b.cells, true, 8 + side * width / abreast, (width - 8) / abreast - (abreast > 1 ? 8 : 0), top + 22);
            fl_line(8, top + 25, width, top + 25);
            break;
        }
        case ReportBlock::TableRow: {
            // The run of this table's rows on the page: two abreast fill the left half first.
            size_t run = 1;
            while (k + run < page.size() && report.blocks[page[k + run]].kind == ReportBlock::TableRow)
                ++run;
            const int abreast = report.abreastOf(b);
            const size_t lines = (run + size_t(abreast) - 1) / size_t(abreast);
            for (size_t r = 0; r < run; ++r) {
                const int side = int(r / lines);
                drawRow(report.blocks[page[k + r]].cells, false, 8 + side * width / abreast,
                        (width - 8) / abreast - (abreast > 1 ? 8 : 0), top + 8 + int(double(r % lines) * h));
            }
            k += run - 1;
            y += double(lines - 1) * h;
            break;
        }
        }
        y += h;
    }
}
