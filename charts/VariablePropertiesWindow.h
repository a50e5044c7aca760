// The modal dialog that edits a variable's normal and panic ranges, two inputs per bound for blood
// pressure and blood sugar.
#pragma once

#include "app/RecordEvents.h"
#include "records/Xml.h"

#include <FL/Fl_Double_Window.H>

#include <string>
#include <vector>

class Fl_Button;
class Fl_Float_Input;
class Fl_Return_Button;
class Fl_Widget;

class VariablePropertiesWindow : public Fl_Double_Window {
public:
    VariablePropertiesWindow(int width, const char* variableName, const char* title, RecordEvents& events);
    ~VariablePropertiesWindow() override;
    // The width the dialog needs for a variable.
    static int widthFor(const std::string& variableName);

    static void saveCB(Fl_Widget*, void* data) { static_cast<VariablePropertiesWindow*>(data)->saveCB_i(); }
    void saveCB_i();
    static void cancelCB(Fl_Widget*, void* data) { static_cast<VariablePropertiesWindow*>(data)->cancelCB_i(); }
    void cancelCB_i();

    std::string variableName;
    std::vector<Fl_Float_Input*> inputs; // normal lows, normal highs, panic lows, panic highs; members in order
    Fl_Return_Button* okButton;
    Fl_Button* cancelButton;
    XmlNode* node;

private:
    RecordEvents& events;
};
