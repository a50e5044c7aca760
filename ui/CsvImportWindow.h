// The modal dialog of "File/Import readings from CSV…": reads the file with progress (it can be
// cancelled), shows what an import would do, and on confirmation adds the readings in one save.
#pragma once

#include "history/core/CsvImport.h"

#include <FL/Fl_Double_Window.H>

#include <string>

class Fl_Button;
class Fl_Check_Button;
class Fl_Progress;
class Fl_Return_Button;
class Fl_Text_Buffer;
class Fl_Text_Display;
class Fl_Widget;
class RecordEvents;

class CsvImportWindow : public Fl_Double_Window {
public:
    CsvImportWindow(const std::string& path, RecordEvents& events);
    ~CsvImportWindow() override;

    // Reads the file and shows the preview; false (after telling why, unless cancelled) when there
    // is nothing to preview: the dialog is closed then.
    bool read();
    static void importCB(Fl_Widget*, void* data) { static_cast<CsvImportWindow*>(data)->importCB_i(); }
    // True when the readings were saved and the dialog closed.
    bool importCB_i();
    static void includeCB(Fl_Widget*, void* data) { static_cast<CsvImportWindow*>(data)->includeCB_i(); }
    void includeCB_i();
    static void cancelCB(Fl_Widget*, void* data) { static_cast<CsvImportWindow*>(data)->cancelCB_i(); }
    void cancelCB_i();

    std::string path;
    CsvImport::Preview preview;
    Fl_Text_Display* summary;
    Fl_Progress* progress;
    Fl_Check_Button* includeUnlikely;
    Fl_Return_Button* importButton;
    Fl_Button* cancelButton;

private:
    RecordEvents& events;
    Fl_Text_Buffer* text;
    bool reading = false, cancelled = false;
};
