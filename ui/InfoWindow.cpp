#include "ui/InfoWindow.h"

#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/TextCheck.h"
#include "ui/DocumentWindows.h"
#include "app/Palette.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Return_Button.H>

#include <utility>

namespace {

const char* const source = "InfoWindow";

template <class Input> Input* addRow(int y, const char* label, const char* hint)
{
    Input* input = new Input(130, y, 120, 25, label);
    if (hint) {
        Fl_Box* box = new Fl_Box(255, y, 200, 25, hint);
        box->box(FL_NO_BOX);
        box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    }
    return input;
}

}

InfoWindow::InfoWindow(const char* title, bool isNew, RecordEvents& events)
    : Fl_Double_Window(420, 340, title), isNew(isNew), events(events)
{
    TRACE_SCOPE(source, "InfoWindow::InfoWindow", 3);
    color(panelColor);
    firstInput = addRow<Fl_Input>(30, "First name  ", "(required)");
    lastInput = addRow<Fl_Input>(60, "Last name  ", "(required)");
    dobInput = addRow<Fl_Input>(90, "Date of birth  ", "(format: MM/DD/YYYY)");
    genderChoice = addRow<Fl_Input_Choice>(120, "Gender  ", nullptr);
    genderChoice->add("Male");
    genderChoice->add("Female");
    weightInput = addRow<Fl_Float_Input>(150, "Body Weight  ", "(in lbs)");
    heightInput = addRow<Fl_Input>(180, "Height  ", "(format: 5 ft 7.5 in)");
    stepSizeInput = addRow<Fl_Float_Input>(210, "Step size  ", "(in inches)");
    raceInput = addRow<Fl_Input>(240, "Race  ", nullptr);
    okButton = new Fl_Return_Button(135, 280, 70, 30, "OK");
    okButton->box(FL_UP_BOX);
    okButton->callback(saveCB, this);
    cancelButton = new Fl_Button(215, 280, 70, 30, "&Cancel");
    cancelButton->box(FL_UP_BOX);
    cancelButton->callback(cancelCB, this);
    end();
    // The window frame's close button and Escape mean Cancel.
    callback(cancelCB, this);

    XmlNode* info = Xml::child(Global::userDoc.get(), "patient", "info");
    XmlNode* name = Xml::child(info, "name");
    firstInput->value(Xml::childText(name, "first"));
    lastInput->value(Xml::childText(name, "last"));
    setInput(info, "dob", dobInput);
    originalDob = dobInput->value();
    setInput(info, "gender", genderChoice->input());
    setInput(info, "weight", weightInput);
    setInput(info, "height", heightInput);
    setInput(info, "stepSize", stepSizeInput);
    setInput(info, "race", raceInput);
    filled = texts();

    DocumentWindows::open(this);
}

InfoWindow::~InfoWindow()
{
    DocumentWindows::remove(this);
}

std::vector<std::string> InfoWindow::texts() const
{
    const Fl_Input_* const inputs[] = {firstInput,  lastInput,    genderChoice->input(), dobInput,
                                       weightInput, heightInput, stepSizeInput,         raceInput};
    std::vector<std::string> all;
    for (const Fl_Input_* input : inputs)
        all.push_back(input->value());
    return all;
}

void InfoWindow::setInput(XmlNode* parent, const char* name, Fl_Input_* input)
{
    TRACE_SCOPE(source, "InfoWindow::setInput", 3);
    if (XmlNode* node = Xml::child(parent, name))
        input->value(node->value());
}

void InfoWindow::setNode(Fl_Input_* input, const char* name, XmlNode* parent, Change& change)
{
    TRACE_SCOPE(source, "InfoWindow::setNode", 3);
    change.setText(*Global::userDoc, parent, name, input->value());
}

InfoWindow::Inputs InfoWindow::checkInputs()
{
    TRACE_SCOPE(source, "InfoWindow::checkInputs", 3);
    if (!TextCheck::isVisible(firstInput->value()) || !TextCheck::isVisible(lastInput->value())) {
        Prompt::alert("Enter a value for first AND last name\nPlease try again");
        TRACE_MSG(4, "User tried to enter an incomplete name\n");
        return Inputs::NameMissing;
    }
    const std::pair<Fl_Input_*, const char*> texts[] = {
        {firstInput, "first name"}, {lastInput, "last name"}, {dobInput, "date of birth"},
        {genderChoice->input(), "gender"}, {weightInput, "weight"}, {heightInput, "height"},
        {stepSizeInput, "step size"}, {raceInput, "race"}};
    // A line break in a name would break the user list's line in two.
    for (const auto& [input, what] : texts)
        if (TextCheck::hasControl(input->value()) ||
            ((input == firstInput || input == lastInput) && TextCheck::hasLineBreak(input->value()))) {
            Prompt::alert("The %s you entered holds a control character, which a record cannot keep.\n"
                          "Please try again or hit \"Cancel\"", what);
            TRACE_MSG(4, "User tried to enter a control character in the %s\n", what);
            return Inputs::ControlCharacter;
        }
    // A date of birth kept from an older record passes as it is; only a newly typed one is checked.
    const char* dob = dobInput->value();
    if (*dob && dob != originalDob) {
        DateCheck::Result result = DateCheck::checkBirthDate(dob, std::time(nullptr));
        if (result == DateCheck::Unreadable) {
            Prompt::alert("The date of birth you entered could not be read.\nThe correct format is: MM/DD/YYYY\n"
                          "Please try again or hit Cancel");
            TRACE_MSG(4, "User tried to enter an incorrect dob: %s\n", dob);
            return Inputs::BirthDateUnreadable;
        }
        if (result == DateCheck::OutOfRange) {
            Prompt::alert("Incorrect range for date of birth.\nThe correct format is: MM/DD/YYYY\n"
                          "Please try again or hit Cancel");
            TRACE_MSG(4, "User tried to enter an incorrect dob: %s\n", dob);
            return Inputs::BirthDateOutOfRange;
        }
    }
    const char* height = heightInput->value();
    if (*height && !TextCheck::isHeight(height)) {
        Prompt::alert("The value you entered for height could not be read.\nThe correct format is for example: "
                      "5 ft 7.5 in\nPlease try again or hit \"Cancel\"");
        TRACE_MSG(4, "User tried to enter an incorrect height: %s\n", height);
        return Inputs::HeightUnreadable;
    }
    for (const auto& [input, what] : {std::make_pair(weightInput, "weight"), std::make_pair(stepSizeInput, "step size")})
        if (*input->value() && !TextCheck::isAmount(input->value())) {
            Prompt::alert("The value you entered for %s is not a number from 0 to %g.\n"
                          "Please try again or hit \"Cancel\"", what, TextCheck::maxAmount);
            TRACE_MSG(4, "User tried to enter an incorrect %s: %s\n", what, input->value());
            return Inputs::AmountUnreadable;
        }
    return Inputs::Valid;
}

void InfoWindow::saveCB_i()
{
    TRACE_SCOPE(source, "InfoWindow::saveCB_i", 3);
    if (checkInputs() != Inputs::Valid)
        return;
    // A failed save undoes the whole change; the dialog stays open with what was typed.
    Change change;
    XmlDocument& doc = *Global::userDoc;
    XmlNode* patient = doc.first_node("patient");
    XmlNode* info = Xml::child(patient, "info");
    if (!info) {
        info = doc.allocate_node(rapidxml::node_element, "info");
        change.insert(patient, patient->first_node(), info);
    }
    XmlNode* name = Xml::child(info, "name");
    if (!name) {
        name = doc.allocate_node(rapidxml::node_element, "name");
        change.insert(info, info->first_node(), name);
    }
    change.setText(doc, name, "first", firstInput->value());
    change.setText(doc, name, "last", lastInput->value());
    setNode(dobInput, "dob", info, change);
    setNode(genderChoice->input(), "gender", info, change);
    setNode(weightInput, "weight", info, change);
    setNode(heightInput, "height", info, change);
    setNode(stepSizeInput, "stepSize", info, change);
    setNode(raceInput, "race", info, change);
    if (!Global::saveUser(change))
        return;
    events.refreshPanels(isNew, false, true);
    DocumentWindows::close(this);
}

void InfoWindow::cancelCB_i()
{
    TRACE_SCOPE(source, "InfoWindow::cancelCB_i", 3);
    if (isNew && !Global::currentEntry()) {
        if (!events.leavePendingUser())
            return;
        Global::userOpen = false;
        events.enableUserControls(false);
        events.refreshPanels(false, true, true);
    }
    DocumentWindows::close(this);
}
