#include "ui/MyBrowser.h"

#include "app/Trace.h"
#include "charts/VariablePropertiesWindow.h"
#include "history/HistoryTableWindow.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "app/Palette.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>

#include <iostream>

namespace {
const char* const source = "MyBrowser";
}

MyBrowser::MyBrowser(int y, RecordEvents& events) : Fl_Hold_Browser(21, y, 211, 111), events(events)
{
    TRACE_SCOPE(source, "MyBrowser::MyBrowser", 3);
    format_char(textOnly);
}

std::string MyBrowser::selectedText() const
{
    const char* line = value() ? text(value()) : nullptr;
    return line ? line : "";
}

bool MyBrowser::hasHistory(const char* name)
{
    return Xml::child(Global::findVariableNode(name), "entry") != nullptr;
}

int MyBrowser::handle(int event)
{
    if (event == FL_PUSH && Fl::event_button() == FL_RIGHT_MOUSE) {
        TRACE_SCOPE(source, "MyBrowser::handle", 3);
        void* line = find_item(Fl::event_y());
        bool changed = line && select_only(line, 0);
        int X, Y, W, H;
        bbox(X, Y, W, H);
        if (changed && Fl::event_inside(X, Y, W, H)) {
            std::string name = selectedText();
            Fl_Menu_Item menu[] = {
                {"Add a new Entry", 0, newEntryCB, this, 0, 0, 0, 0, 0},
                {"Edit History", 0, editHistoryCB, this, hasHistory(name.c_str()) ? 0 : FL_MENU_INACTIVE, 0, 0, 0, 0},
                // Lab items and medicines have no ranges to edit.
                {"Properties", 0, propertiesCB, this, Global::findVariableNode(name.c_str()) ? 0 : FL_MENU_INACTIVE,
                 0, 0, 0, 0},
                {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
            };
            if (const Fl_Menu_Item* picked = menu->popup(Fl::event_x(), Fl::event_y()))
                picked->do_callback(nullptr, this);
            return 1;
        }
        return 0;
    }
    if (event == FL_RELEASE && Fl::event_button() == FL_RIGHT_MOUSE)
        return 1;
    return Fl_Hold_Browser::handle(event);
}

void MyBrowser::newEntryCB_i()
{
    TRACE_SCOPE(source, "MyBrowser::newEntryCB_i", 3);
    std::cout << "New Entry Callback for " << selectedText() << std::endl;
    do_callback();
}

void MyBrowser::editHistoryCB_i()
{
    TRACE_SCOPE(source, "MyBrowser::editHistoryCB_i", 3);
    std::string name = selectedText();
    std::cout << "Edit History Callback for " << name << std::endl;
    HistoryTableWindow::open(name, RecordView::userName(), events);
    deselect();
}

void MyBrowser::propertiesCB_i()
{
    TRACE_SCOPE(source, "MyBrowser::propertiesCB_i", 3);
    std::string name = selectedText();
    std::cout << "Properties Callback for " << name << std::endl;
    if (Global::refuseWhilePending()) {
        deselect();
        return;
    }
    new VariablePropertiesWindow(VariablePropertiesWindow::widthFor(name), name.c_str(),
                                 ("Properties for " + name).c_str(), events);
    deselect();
}
