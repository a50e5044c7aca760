// MainWindow: the commands on whole users (new, close, save, exit, remove, edit) and help.
#include "ui/MainWindow.h"

#include "app/CurrentGroup.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Global.h"
#include "ui/DocumentWindows.h"
#include "ui/InfoWindow.h"
#include "ui/SearchUserBox.h"

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cstring>
#include <iostream>

namespace {
const char* const source = "MainWindow";
}

void MainWindow::closeUser()
{
    DocumentWindows::closeAll();
    enableUserControls(false);
    Global::userOpen = false;
}

bool MainWindow::leavePendingUser()
{
    if (!Global::newUserPending())
        return true;
    InfoWindow* dialog = DocumentWindows::find<InfoWindow>([](InfoWindow* w) { return w->isNew; });
    if (!dialog || !dialog->hasTyped())
        return true;
    dialog->show();
    return Prompt::choice("The new user has not been added yet: what was typed for it in the \"New User\" dialog "
                          "would be lost.\nDrop the new user?",
                          "No", "Yes", nullptr) == 1;
}

void MainWindow::newCB_i()
{
    TRACE_SCOPE(source, "MainWindow::newCB_i", 3);
    if (!leavePendingUser() || !Global::saveCurrentUser() || !Global::createNew())
        return;
    new InfoWindow("New User", true, *this);
    enableUserControls(true);
    // The panels still point into the record that createNew just replaced.
    refreshPanels(false, true, true);
}

void MainWindow::closeCB_i()
{
    TRACE_SCOPE(source, "MainWindow::closeCB_i", 3);
    if (!leavePendingUser())
        return;
    closeUser();
    refreshPanels(false, true, true);
}

void MainWindow::menuCB_i()
{
    TRACE_SCOPE(source, "MainWindow::menuCB_i", 3);
    char path[256] = "";
    menuBar->item_pathname(path, sizeof path);
    std::cout << "item picked in menu: " << path << std::endl;
    TRACE_MSG(3, "item picked in menu: %s\n", path);
    if (!std::strcmp(path, "File/Exit")) {
        // Leaving with a record that could not be saved would lose it; stay so it can be saved later.
        if (leavePendingUser() && Global::saveCurrentUser())
            Prompt::quit(0);
    } else if (!std::strcmp(path, "File/Save")) {
        if (!Global::refuseWhilePending())
            Global::saveCurrentUser();
    }
}

void MainWindow::userRemoveCB_i()
{
    TRACE_SCOPE(source, "MainWindow::userRemoveCB_i", 3);
    // A user that is not on the list (a new one still pending) has nothing to remove.
    if (Global::refuseWhilePending() || !Global::userOpen || !Global::currentEntry())
        return;
    std::string question = "Do you really want to remove user:\n" + userList->selectedName() + "?";
    if (Prompt::choice(question, "Cancel", "OK", nullptr) != 1)
        return;
    if (Global::removeCurrentUser() == Global::Removal::NotSaved)
        return;
    closeUser();
    refreshPanels(false, false, true);
}

void MainWindow::editInfoCB(Fl_Widget*, void* data)
{
    TRACE_SCOPE(source, "MainWindow::editInfoCB", 3);
    if (!Global::userOpen)
        return;
    // One information dialog per user: a second request brings the open one to the front.
    if (InfoWindow* open = DocumentWindows::find<InfoWindow>())
        open->show();
    else
        new InfoWindow("Edit User Information", false, *static_cast<MainWindow*>(data));
}

void MainWindow::helpCB_i()
{
    TRACE_SCOPE(source, "MainWindow::helpCB_i", 3);
    if (!helpWindow) {
        CurrentGroup topLevel(nullptr);
        helpWindow = new Fl_Double_Window(x() + (w() - 700) / 2, y() + (h() - 480) / 2, 700, 480, "Help");
        Fl_Text_Display* display = new Fl_Text_Display(10, 10, 680, 460);
        Fl_Text_Buffer* buffer = new Fl_Text_Buffer(0, 1024);
        display->buffer(buffer);
        display->textsize(14);
        // Wrapping at the display's edge keeps every line readable whatever the window's width.
        display->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
        helpWindow->resizable(display);
        helpWindow->end();
        if (buffer->loadfile((Global::dataFolder + "readme.txt").c_str()) == 0 &&
            buffer->length() >= 3 && !std::strncmp(buffer->address(0), "\xEF\xBB\xBF", 3))
            buffer->remove(0, 3);
    }
    helpWindow->show();
}
