// A one-page report of a widget under a two-line heading that names the user. The page is drawn
// once, through the toolkit's paged-device interface, for the printer, a PostScript file and a PDF.
#pragma once

#include "app/ReportLayout.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class Fl_Paged_Device;
class Fl_Widget;

class Report {
public:
    // userName: the selected line of the user list, "" when none is selected.
    Report(Fl_Widget* printed, const ReportStyle& style, const std::string& userName);

    // Lays the widgets out for the page (a window enlarged, say) after the job has started; the
    // position and size of every widget in keepGeometry is put back, in that order, after the page.
    std::function<void()> enlarge;
    std::vector<Fl_Widget*> keepGeometry;
    // Drawn on white; each gets its own colour back after the page.
    std::vector<Fl_Widget*> whiten;

    // A report of several pages drawn by the caller in place of the widget's one page: pageCount
    // tells the device how many to expect, drawPages starts and ends each page itself and returns
    // false when the person cancelled it. A cancelled report is neither printed nor saved.
    int pageCount = 1;
    std::function<bool(Fl_Paged_Device&)> drawPages;
    bool cancelled = false;
    // Asked now and then while a PDF is converted; false stops the conversion as cancelled.
    std::function<bool()> converting;
    // The name askAndSavePdf offers, in place of the user's name, the subject and today's date.
    std::string offeredName;

    // Through the toolkit's print dialog. False when the dialog was cancelled or the job could not
    // start: then nothing is drawn and nothing is moved. A page for the print command is handed to
    // it as a PrintJob, after this returns.
    bool print();
    // Asks for a file in the file chooser, offering the user's name, the subject and today's date
    // (ReportName), then savePdf. False when cancelled or not written.
    bool askAndSavePdf(const char* title, const std::string& subject);
    // Writes the page as a PDF file (".pdf" added to a name without it). An existing file is
    // replaced only when the question is answered so; a failure is told to the user and leaves no
    // half-written file behind.
    bool savePdf(std::string path);
    // The page as a PostScript file; false with the reason in error.
    bool writePostScript(const std::string& path, std::string& error);
    // The same into an open file, which it closes; null (with errno set) is told as failed.
    bool writePostScript(FILE* file, std::string& error);
    // The page onto a device whose job has started.
    void drawPage(Fl_Paged_Device& device);

    const std::string userName;
    const std::string title; // "Report for " and the user's name
    static const char* const credit;

private:
    bool drawAll(Fl_Paged_Device& device);
    bool writePdf(const std::string& path, std::string& error);

    Fl_Widget* printed;
    ReportStyle style;
};
