#include "ui/CsvImportWindow.h"

#include "app/Palette.h"
#include "app/Prompt.h"
#include "app/RecordEvents.h"
#include "app/Trace.h"
#include "records/Change.h"
#include "records/Global.h"
#include "records/SafeFile.h"
#include "ui/DocumentWindows.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Display.H>

#include <sys/stat.h>

namespace {
const char* const source = "CsvImportWindow";
}

CsvImportWindow::CsvImportWindow(const std::string& path, RecordEvents& events)
    : Fl_Double_Window(640, 470, "Import readings from CSV"), path(path), events(events), text(new Fl_Text_Buffer)
{
    TRACE_SCOPE(source, "CsvImportWindow::CsvImportWindow", 3);
    color(panelColor);
    summary = new Fl_Text_Display(10, 10, 620, 350);
    summary->buffer(text);
    summary->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    progress = new Fl_Progress(10, 370, 620, 20);
    progress->minimum(0);
    progress->maximum(1);
    progress->selection_color(FL_BLUE);
    progress->hide();
    includeUnlikely = new Fl_Check_Button(10, 370, 400, 25, "Include the unlikely readings");
    includeUnlikely->callback(includeCB, this);
    includeUnlikely->hide();
    importButton = new Fl_Return_Button(220, 420, 95, 30, "Import");
    importButton->callback(importCB, this);
    importButton->deactivate();
    cancelButton = new Fl_Button(325, 420, 95, 30, "&Cancel");
    cancelButton->callback(cancelCB, this);
    end();
    resizable(summary);
    callback(cancelCB, this);
    set_modal();
    DocumentWindows::open(this);
}

CsvImportWindow::~CsvImportWindow()
{
    summary->buffer(nullptr);
    delete text;
    DocumentWindows::remove(this);
}

bool CsvImportWindow::read()
{
    TRACE_SCOPE(source, "CsvImportWindow::read", 3);
    struct stat status;
    std::string why = stat(path.c_str(), &status) == 0 ? CsvImport::tooLarge(status.st_size) : "";
    FileBytes bytes;
    if (why.empty() && SafeFile::read(path, bytes, why) != SafeFile::Read::Ok && why.empty())
        why = "The file could not be opened.";
    if (!why.empty()) {
        Prompt::alert("Unable to import %s:\n%s", path.c_str(), why.c_str());
        DocumentWindows::close(this);
        return false;
    }
    text->text(("Reading " + path + "…").c_str());
    progress->value(0);
    progress->show();
    reading = true;
    auto step = [this](double done) {
        progress->value(float(done));
        Fl::check();
        return !cancelled;
    };
    CsvImport::DayOrder order = CsvImport::DayOrder::Unknown;
    for (;;) {
        preview = CsvImport::read(bytes.data(), bytes.size(), order, step);
        if (!preview.askDayOrder)
            break;
        int answer = Prompt::choice("The dates of this file give no day above 12, so they could be read day first "
                                    "or month first: 03/04/2024 could be March 4 or April 3.\nIn which order are "
                                    "they written?", "Cancel", "Month first", "Day first");
        if (answer == 0) {
            preview.cancelled = true;
            break;
        }
        order = answer == 1 ? CsvImport::DayOrder::MonthFirst : CsvImport::DayOrder::DayFirst;
    }
    reading = false;
    progress->hide();
    if (!preview.refusal.empty())
        Prompt::alert("Nothing can be imported from %s:\n%s", path.c_str(), preview.refusal.c_str());
    if (!preview.refusal.empty() || preview.cancelled) {
        TRACE_MSG(3, "Import of %s ended: %s\n", path.c_str(), preview.cancelled ? "cancelled" : preview.refusal.c_str());
        DocumentWindows::close(this);
        return false;
    }
    size_t present = 0;
    for (const auto& count : preview.counts)
        present += count.second.present;
    TRACE_MSG(3, "Preview of %s: %zu to add, %zu already present, %zu unlikely, %zu lines refused\n", path.c_str(),
              preview.toAdd(false), present, preview.unlikely.size(), preview.refused.size());
    if (!preview.unlikely.empty())
        includeUnlikely->show();
    includeCB_i();
    return true;
}

void CsvImportWindow::includeCB_i()
{
    bool include = includeUnlikely->value() != 0;
    text->text(("Importing from " + path + " would do this:\n\n" + preview.summary(include)).c_str());
    preview.toAdd(include) ? importButton->activate() : importButton->deactivate();
}

bool CsvImportWindow::importCB_i()
{
    TRACE_SCOPE(source, "CsvImportWindow::importCB_i", 3);
    bool include = includeUnlikely->value() != 0;
    if (Global::refuseWhilePending() || !preview.toAdd(include))
        return false;
    Change change;
    size_t added = CsvImport::apply(preview, include, *Global::userDoc, change);
    // A failed save was undone and told; the preview stays for another try.
    if (!Global::saveCurrentUser(change))
        return false;
    TRACE_MSG(3, "Imported %zu readings from %s\n", added, path.c_str());
    for (const std::string& vital : preview.vitals)
        if (XmlNode* variable = Global::findVariableNode(vital.c_str()))
            events.recordChanged(variable, nullptr);
    events.refreshPanels(false, false, false);
    Prompt::alert("%zu %s imported.", added, added == 1 ? "reading" : "readings");
    DocumentWindows::close(this);
    return true;
}

void CsvImportWindow::cancelCB_i()
{
    if (reading) {
        cancelled = true;
        return;
    }
    DocumentWindows::close(this);
}
