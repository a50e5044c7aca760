// "Report for the doctor…": the period, the vitals and the parts to include, then the report saved
// as a PDF of as many pages as it needs, or printed.
#pragma once

#include "history/core/DoctorReport.h"

#include <FL/Fl_Double_Window.H>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Fl_Button;
class Fl_Check_Button;
class Fl_Input;
class Report;

class DoctorReportWindow : public Fl_Double_Window {
public:
    // Opens the dialog for the open user, the last 30 days picked.
    DoctorReportWindow();
    static void openCB(Fl_Widget*, void*);

    void pick(ReportPeriod::Pick pick);
    // The period typed; false (told to the person) when a date cannot be read or they are reversed.
    bool period(ReportPeriod& out) const;
    // The report of what is chosen; null, told to the person, when there is nothing to report.
    std::unique_ptr<DoctorReport> makeReport() const;
    // Writes the report as a PDF at path; progress is asked after each page (by default a window
    // with a Cancel button, shown after half a second).
    bool saveTo(const std::string& path, std::function<bool(int, int)> progress = nullptr);
    // Runs write (print or save) on a report set up to draw the pages of made, with progress as above.
    static bool output(const DoctorReport& made, const std::function<bool(Report&)>& write,
                       std::function<bool(int, int)> progress = nullptr);

    Fl_Input* fromInput;
    Fl_Input* toInput;
    std::vector<Fl_Button*> pickButtons;
    std::vector<Fl_Check_Button*> vitalButtons;
    Fl_Check_Button* chartsButton;
    Fl_Check_Button* tableButton;
    Fl_Button* saveButton;
    Fl_Button* printButton;

private:
    static void pickCB(Fl_Widget* button, void* data);
    static void dateCB(Fl_Widget*, void* data) { static_cast<DoctorReportWindow*>(data)->tickVitals(); }
    static void saveCB(Fl_Widget*, void* data) { static_cast<DoctorReportWindow*>(data)->saveCB_i(); }
    void saveCB_i();
    static void printCB(Fl_Widget*, void* data) { static_cast<DoctorReportWindow*>(data)->printCB_i(); }
    void printCB_i();
    static void closeCB(Fl_Widget*, void* data) { static_cast<DoctorReportWindow*>(data)->hide(); }

    // Ticks the vitals that have readings in the period typed.
    void tickVitals();
    // Runs write on a report set up to draw the doctor's pages; false when it was not made.
    bool withReport(const std::function<bool(Report&)>& write, std::function<bool(int, int)> progress);

    std::vector<std::string> vitals;
};
