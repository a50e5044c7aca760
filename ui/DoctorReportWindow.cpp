#include "ui/DoctorReportWindow.h"

#include "app/Palette.h"
#include "app/Prompt.h"
#include "app/Report.h"
#include "app/ReportName.h"
#include "app/Trace.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "ui/DoctorReportCharts.h"
#include "ui/DoctorReportPages.h"
#include "ui/ReportProgress.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>

#include <cstdio>

namespace {

const char* const source = "DoctorReportWindow";

std::string dateText(ReportDay day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", day.month, day.day, day.year);
    return text;
}

Fl_Box* title(int x, int y, const char* text)
{
    auto* box = new Fl_Box(x, y, 300, 20, text);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    box->labelfont(FL_HELVETICA_BOLD);
    return box;
}

}

void DoctorReportWindow::openCB(Fl_Widget*, void*)
{
    new DoctorReportWindow();
}

DoctorReportWindow::DoctorReportWindow() : Fl_Double_Window(500, 100, "Report for the doctor")
{
    TRACE_SCOPE(source, "DoctorReportWindow::DoctorReportWindow", 3);
    color(panelColor);
    vitals = VitalReadings::vitals();
    title(10, 10, "Period (both days included)");
    fromInput = new Fl_Input(60, 35, 100, 25, "From ");
    toInput = new Fl_Input(210, 35, 100, 25, "To ");
    for (Fl_Input* input : {fromInput, toInput}) {
        input->tooltip("MM/DD/YYYY");
        input->callback(dateCB, this);
        input->when(FL_WHEN_CHANGED);
    }
    for (int i = 0; i < 5; ++i) {
        auto* button = new Fl_Button(10 + 97 * i, 68, 93, 25, ReportPeriod::pickNames[i]);
        button->callback(pickCB, this);
        pickButtons.push_back(button);
    }
    title(10, 105, "Vitals");
    int y = 128;
    for (size_t i = 0; i < vitals.size(); ++i) {
        auto* button = new Fl_Check_Button(20 + 230 * int(i % 2), y, 220, 24);
        button->copy_label(plainLabel(vitals[i]).c_str());
        vitalButtons.push_back(button);
        if (i % 2 || i + 1 == vitals.size())
            y += 26;
    }
    title(10, y + 6, "Include");
    chartsButton = new Fl_Check_Button(20, y + 30, 220, 24, "The charts");
    tableButton = new Fl_Check_Button(250, y + 30, 220, 24, "The table of readings");
    chartsButton->value(1);
    tableButton->value(1);
    y += 70;
    saveButton = new Fl_Button(140, y, 120, 28, "Save as PDF\xE2\x80\xA6");
    saveButton->callback(saveCB, this);
    printButton = new Fl_Button(270, y, 100, 28, "Print\xE2\x80\xA6");
    printButton->callback(printCB, this);
    auto* close = new Fl_Button(380, y, 100, 28, "Close");
    close->callback(closeCB, this);
    end();
    size(500, y + 40);
    pick(ReportPeriod::Last30Days);
    set_modal();
    show();
}

void DoctorReportWindow::pickCB(Fl_Widget* button, void* data)
{
    auto* window = static_cast<DoctorReportWindow*>(data);
    for (size_t i = 0; i < window->pickButtons.size(); ++i)
        if (window->pickButtons[i] == button)
            window->pick(ReportPeriod::Pick(i));
}

void DoctorReportWindow::pick(ReportPeriod::Pick which)
{
    const ReportDay today = ReportDay::today();
    ReportDay first = today, last = today;
    if (which == ReportPeriod::AllReadings)
        VitalReadings::span(vitals, first, last);
    const ReportPeriod p = ReportPeriod::pick(which, today, first, last);
    fromInput->value(dateText(p.from).c_str());
    toInput->value(dateText(p.to).c_str());
    tickVitals();
}

bool DoctorReportWindow::period(ReportPeriod& out) const
{
    ReportDay days[2];
    const Fl_Input* inputs[] = {fromInput, toInput};
    for (int i = 0; i < 2; ++i)
        if (DateCheck::checkDate(inputs[i]->value(), &days[i].year, &days[i].month, &days[i].day) != DateCheck::Valid) {
            Prompt::alert("The %s date %s is not a date of the form MM/DD/YYYY.", i ? "To" : "From", inputs[i]->value());
            return false;
        }
    out = ReportPeriod(days[0], days[1]);
    if (out.empty()) {
        Prompt::alert("The period ends before it starts: %s is after %s.", fromInput->value(), toInput->value());
        return false;
    }
    return true;
}

void DoctorReportWindow::tickVitals()
{
    ReportDay days[2];
    if (DateCheck::checkDate(fromInput->value(), &days[0].year, &days[0].month, &days[0].day) != DateCheck::Valid ||
        DateCheck::checkDate(toInput->value(), &days[1].year, &days[1].month, &days[1].day) != DateCheck::Valid)
        return;
    const ReportPeriod p(days[0], days[1]);
    for (size_t i = 0; i < vitals.size(); ++i)
        vitalButtons[i]->value(!VitalReadings::load(vitals[i], p).readings.empty());
}

std::unique_ptr<DoctorReport> DoctorReportWindow::makeReport() const
{
    ReportPeriod p({0, 0, 0}, {0, 0, 0});
    if (!period(p))
        return nullptr;
    DoctorReport::Options options;
    for (size_t i = 0; i < vitals.size(); ++i)
        if (vitalButtons[i]->value())
            options.vitals.push_back(vitals[i]);
    options.charts = chartsButton->value();
    options.table = tableButton->value();
    if (options.vitals.empty()) {
        Prompt::alert("Tick at least one vital to report on.");
        return nullptr;
    }
    auto report = std::make_unique<DoctorReport>(p, options);
    if (report->readingCount() == 0) {
        Prompt::alert("There are no readings of the vitals ticked from %s.", p.text().c_str());
        return nullptr;
    }
    return report;
}

bool DoctorReportWindow::withReport(const std::function<bool(Report&)>& write, std::function<bool(int, int)> progress)
{
    std::unique_ptr<DoctorReport> made = makeReport();
    return made && output(*made, write, std::move(progress));
}

bool DoctorReportWindow::output(const DoctorReport& made, const std::function<bool(Report&)>& write,
                                std::function<bool(int, int)> progress)
{
    DoctorReportPages pages(made);
    DoctorReportCharts charts(made);
    pages.drawChart = [&charts](Fl_Paged_Device& device, int vital, int x, int y, int w, int h) {
        charts.draw(device, vital, x, y, w, h);
    };
    Report report(nullptr, tableReportStyle, made.person);
    // A first count for the device: the printable area of A4 in points; the pages are laid out
    // again for the paper the device has.
    pages.layOut(559, 806);
    report.pageCount = pages.count();
    std::unique_ptr<ReportProgress> shown;
    if (!progress) {
        shown = std::make_unique<ReportProgress>("Making the report");
        progress = [&shown](int done, int total) { return shown->step(done, total); };
    }
    report.drawPages = [&](Fl_Paged_Device& device) { return pages.draw(device, progress); };
    report.converting = [&] { return progress(pages.count(), pages.count()); };
    std::tm to{};
    to.tm_year = made.period.to.year - 1900;
    to.tm_mon = made.period.to.month - 1;
    to.tm_mday = made.period.to.day;
    report.offeredName = ReportName::suggest(made.person, "report " + ReportPeriod::isoDate(made.period.from) + " to", to);
    return write(report);
}

bool DoctorReportWindow::saveTo(const std::string& path, std::function<bool(int, int)> progress)
{
    TRACE_SCOPE(source, "DoctorReportWindow::saveTo", 3);
    return withReport([&](Report& report) { return report.savePdf(path); }, progress);
}

void DoctorReportWindow::saveCB_i()
{
    TRACE_SCOPE(source, "DoctorReportWindow::saveCB_i", 3);
    withReport([](Report& report) { return report.askAndSavePdf("Save report for the doctor as PDF", "report"); }, nullptr);
}

void DoctorReportWindow::printCB_i()
{
    TRACE_SCOPE(source, "DoctorReportWindow::printCB_i", 3);
    withReport([](Report& report) { return report.print(); }, nullptr);
}
