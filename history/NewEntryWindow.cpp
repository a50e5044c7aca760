#include "history/NewEntryWindow.h"

#include "app/Palette.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "ui/DocumentWindows.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Pack.H>

#include <ctime>
#include <iostream>

namespace {

const char* const source = "NewEntryWindow";

Fl_Box* addBox(int x, int y, int w, int h, const char* label, Fl_Boxtype type)
{
    Fl_Box* box = new Fl_Box(x, y, w, h, label);
    box->box(type);
    box->color(panelColor);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    return box;
}

}

NewEntryWindow::NewEntryWindow(const char* title, const char* tab, const char* variable, RecordEvents& events)
    : Fl_Double_Window(420, 400), tabName(tab), variableName(variable), events(events)
{
    TRACE_SCOPE(source, "NewEntryWindow::NewEntryWindow", 3);
    copy_label(title);
    color(panelColor);
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    dateText = DateCheck::dateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    timeText = DateCheck::timeText(local.tm_hour, local.tm_min, local.tm_sec);
    inputs.push_back(new Fl_Input(120, 20, 120, 25, "Date"));
    inputs.push_back(new Fl_Input(120, 50, 120, 25, "Time"));
    inputs[0]->value(dateText.c_str());
    inputs[1]->value(timeText.c_str());
    addBox(255, 20, 155, 25, "User:", FL_NO_BOX);
    userBox = addBox(255, 50, 155, 25, nullptr, FL_NO_BOX);
    userBox->copy_label(plainLabel(RecordView::userName()).c_str());
    userBox->labelfont(FL_HELVETICA_BOLD);
    userBox->align(userBox->align() | FL_ALIGN_CLIP);

    if (tabName == "Vitals") {
        int y = 80;
        if (variableName == "Blood Pressure" || variableName == "Blood Sugar") {
            bool pressure = variableName == "Blood Pressure";
            inputs.push_back(new Fl_Float_Input(120, 80, 120, 25, pressure ? "Systolic" : "Fasting"));
            inputs.push_back(new Fl_Float_Input(120, 110, 120, 25, pressure ? "Diastolic" : "Postprandial"));
            y = 110;
        } else if (variableName == "Mood") {
            Fl_Input_Choice* mood = new Fl_Input_Choice(120, 80, 120, 25, "Mood Index");
            for (const char* level : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
                mood->add(level);
            mood->input()->type(FL_INT_INPUT);
            mood->input()->label("Value");
            mood->input()->labeltype(FL_NO_LABEL);
            inputs.push_back(mood->input());
            addBox(245, 80, 200, 25, "1: lowest; 10: highest", FL_NO_BOX);
        } else {
            inputs.push_back(new Fl_Float_Input(120, 80, 120, 25, "Value"));
        }
        y += 30;
        if (int n = int(Global::conditions.size())) {
            addBox(10, y + 10, 400, 25 * n + 35, nullptr, FL_ROUNDED_BOX);
            addBox(30, y, 70, 25, "Conditions", FL_FLAT_BOX);
            y += 30;
            Fl_Pack* pack = new Fl_Pack(20, y, 380, 25 * n);
            for (const auto& condition : Global::conditions)
                conditionButtons.push_back(new Fl_Check_Button(0, 0, 400, 25, condition.second.c_str()));
            pack->end();
            y += 25 * n;
        }
        makeButtons((400 + y + 30) / 2 - 20);
    } else if (tabName != "Lab" && tabName != "Medicine") {
        std::cerr << "Unrecognized tab: " << tabName << std::endl;
    }
    end();
    callback(cancelCB, this);
    set_modal();
    DocumentWindows::open(this);
}

NewEntryWindow::~NewEntryWindow()
{
    DocumentWindows::remove(this);
}

void NewEntryWindow::makeButtons(int y)
{
    const int c = 210;
    const struct {
        Fl_Button*& button;
        int x;
        const char* label;
        Fl_Callback* callback;
    } buttons[] = {{addButton, c - 155, "Add", addCB},
                   {addQuitButton, c - 50, "Add and Quit", addQuitCB},
                   {cancelButton, c + 55, "&Cancel", cancelCB}};
    for (const auto& b : buttons) {
        b.button = new Fl_Button(b.x, y, 100, 30, b.label);
        b.button->box(FL_UP_BOX);
        b.button->callback(b.callback, this);
    }
}

NewEntry::Check NewEntryWindow::insertEntry(Change& change)
{
    TRACE_SCOPE(source, "NewEntryWindow::insertEntry", 3);
    entry.date = inputs[0]->value();
    entry.time = inputs[1]->value();
    entry.fields.clear();
    for (size_t i = 2; i < inputs.size(); ++i)
        entry.fields.push_back({inputs[i]->label() ? inputs[i]->label() : "", inputs[i]->value()});
    entry.conditions.clear();
    size_t k = 0;
    for (const auto& condition : Global::conditions)
        if (k < conditionButtons.size() && conditionButtons[k++]->value())
            entry.conditions.push_back(condition.first);
    NewEntry::Check result = entry.check(variableName);
    if (result == NewEntry::Check::Ready && !entry.question.empty() &&
        Prompt::choice(entry.question + "\nRecord it anyway?", "No", "Yes", nullptr) != 1)
        return NewEntry::Check::NotConfirmed;
    if (result == NewEntry::Check::Ready)
        entry.insert(*Global::userDoc, variableName, change);
    return result;
}

void NewEntryWindow::alert(NewEntry::Check result) const
{
    switch (result) {
    case NewEntry::Check::DateUnreadable:
        Prompt::alert("The date you entered could not be read.\nThe correct format is: MM/DD/YYYY\n"
                      "Please try again or hit \"Cancel\"");
        break;
    case NewEntry::Check::TimeUnreadable:
        Prompt::alert("The time you entered could not be read.\nThe correct format is: HH:MM:SS AM or PM\n"
                      "Please try again or hit \"Cancel\"");
        break;
    case NewEntry::Check::TimeNotAmPm:
        Prompt::alert("Incorrect time: please indicate AM or PM or hit \"Cancel\"");
        break;
    case NewEntry::Check::DateOrTimeNotOnTheClock:
        Prompt::alert("Incorrect range for date or time values.\nPlease try again or hit \"Cancel\"");
        break;
    case NewEntry::Check::ValueUnreadable:
        Prompt::alert("The value you entered for %s could not be read.\nPlease enter a number, or leave it empty, "
                      "or hit \"Cancel\"", entry.unreadable.c_str());
        break;
    case NewEntry::Check::ValueImpossible:
        Prompt::alert("%s\nPlease try again or hit \"Cancel\"", entry.refusal.c_str());
        break;
    case NewEntry::Check::NothingToRecord:
        Prompt::alert("Please enter at least one value.\nTry again or hit \"Cancel\"");
        break;
    case NewEntry::Check::Ready:
    case NewEntry::Check::NotConfirmed:
        break;
    }
}

void NewEntryWindow::saveCB_i(bool keepOpen)
{
    TRACE_SCOPE(source, "NewEntryWindow::saveCB_i", 3);
    Change change;
    NewEntry::Check result = insertEntry(change);
    if (result != NewEntry::Check::Ready) {
        alert(result);
        return;
    }
    // A failed save has undone the entry; the fields stay as typed, so a retry records it once.
    if (!Global::saveCurrentUser(change))
        return;
    for (const NewEntry::Point& point : entry.points)
        events.readingAdded(point.series, entry.when, point.value);
    events.recordChanged(Global::findVariableNode(variableName.c_str()), this);
    if (keepOpen) {
        for (size_t i = 2; i < inputs.size(); ++i)
            inputs[i]->value("");
        redraw();
        return;
    }
    events.refreshPanels(false, false, false);
    DocumentWindows::close(this);
}

void NewEntryWindow::cancelCB_i()
{
    TRACE_SCOPE(source, "NewEntryWindow::cancelCB_i", 3);
    DocumentWindows::close(this);
}
