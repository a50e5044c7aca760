// The dialog that edits a user's personal information, and completes the creation of a new user.
#pragma once

#include "app/RecordEvents.h"
#include "records/Xml.h"

#include <FL/Fl_Double_Window.H>

#include <string>
#include <vector>

class Change;
class Fl_Button;
class Fl_Float_Input;
class Fl_Input;
class Fl_Input_;
class Fl_Input_Choice;
class Fl_Return_Button;
class Fl_Widget;

class InfoWindow : public Fl_Double_Window {
public:
    InfoWindow(const char* title, bool isNew, RecordEvents& events);
    ~InfoWindow() override;

    static void setInput(XmlNode* parent, const char* name, Fl_Input_* input);
    static void setNode(Fl_Input_* input, const char* name, XmlNode* parent, Change& change);
    // Anything but Valid has been told to the person in an alert.
    enum class Inputs { Valid, NameMissing, ControlCharacter, BirthDateUnreadable, BirthDateOutOfRange,
                        HeightUnreadable, AmountUnreadable };
    Inputs checkInputs();
    // Something was typed since the dialog was filled from the record.
    bool hasTyped() const { return texts() != filled; }

    static void saveCB(Fl_Widget*, void* data) { static_cast<InfoWindow*>(data)->saveCB_i(); }
    void saveCB_i();
    static void cancelCB(Fl_Widget*, void* data) { static_cast<InfoWindow*>(data)->cancelCB_i(); }
    void cancelCB_i();

    bool isNew;
    Fl_Input* lastInput;
    Fl_Input* firstInput;
    Fl_Input* dobInput;
    Fl_Input_Choice* genderChoice;
    Fl_Float_Input* weightInput;
    Fl_Input* heightInput;
    Fl_Float_Input* stepSizeInput;
    Fl_Input* raceInput;
    Fl_Return_Button* okButton;
    Fl_Button* cancelButton;

private:
    RecordEvents& events;
    std::vector<std::string> texts() const;
    std::string originalDob; // as the record held it when the dialog opened
    std::vector<std::string> filled;

};
