#include "charts/VariablePropertiesWindow.h"

#include "app/Palette.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "charts/core/VariableRanges.h"
#include "records/Change.h"
#include "records/Global.h"
#include "ui/DocumentWindows.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Return_Button.H>

namespace {

const char* const source = "VariablePropertiesWindow";

void addCaption(int x, int y, int w, const char* label)
{
    Fl_Box* box = new Fl_Box(x, y, w, 25, label);
    box->box(FL_NO_BOX);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}

}

int VariablePropertiesWindow::widthFor(const std::string& name)
{
    return name == "Blood Pressure" ? 420 : name == "Blood Sugar" ? 450 : 300;
}

VariablePropertiesWindow::VariablePropertiesWindow(int width, const char* name, const char* title, RecordEvents& events)
    : Fl_Double_Window(width, 300), variableName(name), node(Global::findVariableNode(name)), events(events)
{
    TRACE_SCOPE(source, "VariablePropertiesWindow::VariablePropertiesWindow", 3);
    copy_label(title);
    color(panelColor);
    std::vector<std::string> members = Global::membersOf(variableName);
    std::vector<std::string> texts = VariableRanges::read(node, variableName);
    // Inputs in the order of the texts: per row (normal low, normal high, panic low, panic high)
    // one input per member.
    const int rowY[4] = {50, 90, 160, 200};
    for (int row = 0; row < 4; ++row) {
        if (row % 2 == 0)
            addCaption(20, rowY[row] - 30, 80, row ? "Panic range:" : "Normal range:");
        addCaption(30, rowY[row], 50, row % 2 ? "High" : "Low");
        if (members.empty())
            inputs.push_back(new Fl_Float_Input(90, rowY[row], 80, 25));
        for (size_t j = 0; j < members.size(); ++j) {
            static const char* const labels[] = {"Systolic", "Diastolic", "Fasting", "Postprandial"};
            size_t label = (members[0] == "systolic" ? 0 : 2) + j;
            int x = j == 0 ? 140 : label == 3 ? 305 : 290;
            inputs.push_back(new Fl_Float_Input(x, rowY[row], 80, 25, labels[label]));
        }
    }
    for (size_t i = 0; i < inputs.size(); ++i)
        inputs[i]->value(texts[i].c_str());
    int c = width / 2;
    okButton = new Fl_Return_Button(c - 75, 245, 70, 30, "OK");
    okButton->box(FL_UP_BOX);
    okButton->callback(saveCB, this);
    cancelButton = new Fl_Button(c + 5, 245, 70, 30, "&Cancel");
    cancelButton->box(FL_UP_BOX);
    cancelButton->callback(cancelCB, this);
    end();
    callback(cancelCB, this);
    set_modal();
    DocumentWindows::open(this);
}

VariablePropertiesWindow::~VariablePropertiesWindow()
{
    DocumentWindows::remove(this);
}

void VariablePropertiesWindow::saveCB_i()
{
    TRACE_SCOPE(source, "VariablePropertiesWindow::saveCB_i", 3);
    std::vector<std::string> texts;
    for (Fl_Float_Input* input : inputs)
        texts.push_back(input->value());
    switch (VariableRanges::check(texts)) {
    case VariableRanges::NumberFailure:
        Prompt::alert("At least one field is not a valid number.\nPlease change it or hit Cancel");
        return;
    case VariableRanges::EmptyFailure:
        Prompt::alert("At least one field is empty.\nPlease fill it or hit Cancel");
        return;
    case VariableRanges::OrderFailure:
        Prompt::alert("At least one high value is less than a low value.\nPlease change it or hit Cancel");
        return;
    case VariableRanges::NestingFailure:
        Prompt::alert("At least one panic bound lies inside the normal range.\nThe panic low may not be above the "
                      "normal low, nor the panic high below the normal high.\nPlease change it or hit Cancel");
        return;
    default:
        break;
    }
    if (!node)
        return;
    Change change;
    VariableRanges::write(*Global::userDoc, node, variableName, texts, change);
    // A failed save was undone and told; the dialog stays open with what was typed.
    if (!Global::saveCurrentUser(change))
        return;
    events.recordChanged(node, this);
    DocumentWindows::close(this);
}

void VariablePropertiesWindow::cancelCB_i()
{
    TRACE_SCOPE(source, "VariablePropertiesWindow::cancelCB_i", 3);
    DocumentWindows::close(this);
}
