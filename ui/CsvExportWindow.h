// The modal dialog of "File/Export readings as CSV…": which vitals, which file, then one safe write.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <string>
#include <vector>

class Fl_Button;
class Fl_Check_Button;
class Fl_Input;
class Fl_Return_Button;
class Fl_Widget;

class CsvExportWindow : public Fl_Double_Window {
public:
    // userName: the open user's, for the suggested file name.
    explicit CsvExportWindow(const std::string& userName);
    ~CsvExportWindow() override;

    static void exportCB(Fl_Widget*, void* data) { static_cast<CsvExportWindow*>(data)->exportCB_i(); }
    // True when the file was written and the dialog closed.
    bool exportCB_i();
    static void chooseCB(Fl_Widget*, void* data) { static_cast<CsvExportWindow*>(data)->chooseCB_i(); }
    void chooseCB_i();
    static void cancelCB(Fl_Widget*, void* data) { static_cast<CsvExportWindow*>(data)->cancelCB_i(); }
    void cancelCB_i();

    std::vector<Fl_Check_Button*> vitals; // one per vital of the record, all ticked at first
    Fl_Input* fileInput;
    Fl_Button* chooseButton;
    Fl_Return_Button* exportButton;
    Fl_Button* cancelButton;
};
