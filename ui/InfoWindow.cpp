#include "ui/InfoWindow.h"

#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "ui/DocumentWindows.h"
#include "ui/MainWindow.h"
#include "app/Palette.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Return_Button.H>

#include <cstdio>
#include <cstdlib>

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

InfoWindow::InfoWindow(const char* title, bool isNew) : Fl_Double_Window(420, 340, title), isNew(isNew)
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
    setInput(info, "gender", genderChoice->input());
    setInput(info, "weight", weightInput);
    setInput(info, "height", heightInput);
    setInput(info, "stepSize", stepSizeInput);
    setInput(info, "race", raceInput);

    if (mainWindow)
        position(mainWindow->x() + (mainWindow->w() - w()) / 2, mainWindow->y() + (mainWindow->h() - h()) / 2);
    DocumentWindows::add(this);
    show();
}

InfoWindow::~InfoWindow()
{
    DocumentWindows::remove(this);
}

void InfoWindow::setInput(XmlNode* parent, const char* name, Fl_Input_* input)
{
    TRACE_SCOPE(source, "InfoWindow::setInput", 3);
    if (XmlNode* node = Xml::child(parent, name))
        input->value(node->value());
}

void InfoWindow::setNode(Fl_Input_* input, const char* name, XmlNode* parent)
{
    TRACE_SCOPE(source, "InfoWindow::setNode", 3);
    Xml::setChildText(*Global::userDoc, parent, name, input->value());
}

int InfoWindow::checkInputs()
{
    TRACE_SCOPE(source, "InfoWindow::checkInputs", 3);
    if (!*firstInput->value() || !*lastInput->value()) {
        Prompt::alert("Enter a value for first AND last name\nPlease try again");
        TRACE_MSG(4, "User tried to enter an incomplete name\n");
        return -1;
    }
    const char* dob = dobInput->value();
    if (*dob) {
        DateCheck::Result result = DateCheck::checkDate(dob);
        if (result == DateCheck::Unreadable) {
            Prompt::alert("The date of birth you entered could not be read.\nThe correct format is: MM/DD/YYYY\n"
                          "Please try again or hit Cancel");
            TRACE_MSG(4, "User tried to enter an incorrect dob: %s\n", dob);
            return -1;
        }
        if (result == DateCheck::OutOfRange) {
            Prompt::alert("Incorrect range for date of birth.\nThe correct format is: MM/DD/YYYY\n"
                          "Please try again or hit Cancel");
            TRACE_MSG(4, "User tried to enter an incorrect dob: %s\n", dob);
            return -1;
        }
    }
    const char* height = heightInput->value();
    int feet;
    float inches;
    if (*height && std::sscanf(height, "%d ft %f in", &feet, &inches) < 2) {
        Prompt::alert("The value you entered for height could not be read.\nThe correct format is for example: "
                      "5 ft 7.5 in\nPlease try again or hit \"Cancel\"");
        TRACE_MSG(4, "User tried to enter an incorrect height: %s\n", height);
        return -1;
    }
    return 0;
}

void InfoWindow::saveCB_i()
{
    TRACE_SCOPE(source, "InfoWindow::saveCB_i", 3);
    if (checkInputs() != 0)
        return;
    XmlDocument& doc = *Global::userDoc;
    XmlNode* patient = doc.first_node("patient");
    XmlNode* info = Xml::child(patient, "info");
    if (!info) {
        info = doc.allocate_node(rapidxml::node_element, "info");
        patient->prepend_node(info);
    }
    XmlNode* name = Xml::child(info, "name");
    if (!name) {
        name = doc.allocate_node(rapidxml::node_element, "name");
        info->prepend_node(name);
    }
    Xml::setChildText(doc, name, "first", firstInput->value());
    Xml::setChildText(doc, name, "last", lastInput->value());

    if (isNew) {
        const char* id = Xml::attribute(patient, "id");
        TRACE_MSG(3, "New User added in config: %s %s, with id=%d\n", firstInput->value(), lastInput->value(),
                  id ? std::atoi(id) : 0);
        if (!Global::addNewToConfig(firstInput->value(), lastInput->value()))
            return;
    } else {
        XmlNode* entry = Global::findNodeWithId(Global::currentId);
        if (entry) {
            XmlDocument& config = *Global::configDoc;
            XmlNode* listed = Xml::child(entry, "name");
            if (!listed) {
                listed = config.allocate_node(rapidxml::node_element, "name");
                entry->prepend_node(listed);
            }
            Xml::setChildText(config, listed, "first", firstInput->value());
            Xml::setChildText(config, listed, "last", lastInput->value());
            if (!Global::saveFile(config, "config.hma"))
                return;
        }
    }
    setNode(dobInput, "dob", info);
    setNode(genderChoice->input(), "gender", info);
    setNode(weightInput, "weight", info);
    setNode(heightInput, "height", info);
    setNode(stepSizeInput, "stepSize", info);
    setNode(raceInput, "race", info);

    if (!Global::saveFile(doc, Global::currentFile)) {
        // A listed user must have a record file: take a new user off the list again.
        if (isNew && Global::removeCurrentUser() == 0)
            Global::currentFile[0] = Global::currentId[0] = '\0';
        return;
    }
    mainWindow->refreshPanels(isNew, false, true);
    close();
}

void InfoWindow::cancelCB_i()
{
    TRACE_SCOPE(source, "InfoWindow::cancelCB_i", 3);
    if (isNew) {
        Global::userOpen = false;
        mainWindow->enableUserControls(false);
        mainWindow->refreshPanels(false, true, true);
    }
    close();
}

void InfoWindow::close()
{
    DocumentWindows::remove(this);
    hide();
    Fl::delete_widget(this);
}
