#include "ui/CsvExportWindow.h"

#include "app/Palette.h"
#include "app/PathPin.h"
#include "app/Prompt.h"
#include "app/ReportName.h"
#include "app/Trace.h"
#include "history/core/CsvExport.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "records/SafeFile.h"
#include "ui/DocumentWindows.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>

#include <cstdlib>
#include <strings.h>

namespace {
const char* const source = "CsvExportWindow";
}

CsvExportWindow::CsvExportWindow(const std::string& userName)
    : Fl_Double_Window(460, 10, "Export readings as CSV")
{
    TRACE_SCOPE(source, "CsvExportWindow::CsvExportWindow", 3);
    color(panelColor);
    Fl_Box* caption = new Fl_Box(20, 10, 300, 25, "Vitals to export:");
    caption->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    int y = 35;
    for (const char* name : RecordView::tabItems("Vitals")) {
        Fl_Check_Button* tick = new Fl_Check_Button(30, y, 400, 25);
        tick->copy_label(name);
        tick->value(1);
        vitals.push_back(tick);
        y += 25;
    }
    const char* home = std::getenv("HOME");
    std::string folder = home && *home ? std::string(home) + "/" : "";
    fileInput = new Fl_Input(60, y + 15, 280, 25, "File:");
    fileInput->value((folder + ReportName::suggest(userName, "readings", ".csv")).c_str());
    chooseButton = new Fl_Button(345, y + 15, 95, 25, "Choose…");
    chooseButton->callback(chooseCB, this);
    exportButton = new Fl_Return_Button(140, y + 60, 85, 30, "Export");
    exportButton->callback(exportCB, this);
    cancelButton = new Fl_Button(235, y + 60, 85, 30, "&Cancel");
    cancelButton->callback(cancelCB, this);
    size(w(), y + 105);
    end();
    callback(cancelCB, this);
    set_modal();
    DocumentWindows::open(this);
}

CsvExportWindow::~CsvExportWindow()
{
    DocumentWindows::remove(this);
}

void CsvExportWindow::chooseCB_i()
{
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title("Export readings as CSV");
    chooser.filter("CSV\t*.csv");
    chooser.directory(PathPin::folder().empty() ? nullptr : PathPin::folder().c_str());
    chooser.preset_file(fileInput->value());
    if (chooser.show() == 0)
        fileInput->value(chooser.filename());
}

bool CsvExportWindow::exportCB_i()
{
    TRACE_SCOPE(source, "CsvExportWindow::exportCB_i", 3);
    std::vector<std::string> chosen;
    for (Fl_Check_Button* tick : vitals)
        if (tick->value())
            chosen.push_back(tick->label());
    if (chosen.empty()) {
        Prompt::alert("Please tick at least one vital to export.");
        return false;
    }
    std::string path = fileInput->value();
    if (path.empty()) {
        Prompt::alert("Please name the file to export to.");
        return false;
    }
    path = PathPin::pin(path);
    if (path.size() < 4 || strcasecmp(path.c_str() + path.size() - 4, ".csv") != 0)
        path += ".csv";
    if (SafeFile::exists(path) &&
        Prompt::choice("The file " + path + " already exists.\nDo you want to replace it?", "Cancel", "Replace",
                       nullptr) != 1)
        return false;
    CsvExport::Result result = CsvExport::write(Xml::child(Global::userDoc.get(), "patient"), chosen);
    std::string error;
    if (!SafeFile::write(path, result.text, error)) {
        TRACE_MSG(1, "Unable to export %s: %s\n", path.c_str(), error.c_str());
        Prompt::alert("Unable to save file: %s\n%s", path.c_str(), error.c_str());
        return false;
    }
    TRACE_MSG(3, "Exported %zu readings to %s\n", result.rows, path.c_str());
    std::string unreadable;
    if (result.unreadable)
        unreadable = "\n" + std::to_string(result.unreadable) + (result.unreadable == 1 ? " reading has" : " readings have") +
                     " a date or time that could not be read; it is written as the record holds it.";
    Prompt::alert("%zu %s exported to %s.%s", result.rows, result.rows == 1 ? "reading" : "readings", path.c_str(),
                  unreadable.c_str());
    DocumentWindows::close(this);
    return true;
}

void CsvExportWindow::cancelCB_i()
{
    DocumentWindows::close(this);
}
