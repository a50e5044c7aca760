#include "history/HistoryTableWindow.h"

#include "app/CurrentGroup.h"
#include "app/Palette.h"
#include "app/Trace.h"
#include "history/HistoryTable.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "ui/DocumentWindows.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>

#include <algorithm>
#include <iostream>

namespace {
const char* const source = "HistoryTableWindow";
}

HistoryTableWindow::HistoryTableWindow(int w, int h, const char* title, const char* name, const std::string& userName,
                                       RecordEvents& events)
    : Fl_Double_Window(w, h), model(name), userName(userName), events(events)
{
    TRACE_SCOPE(source, "HistoryTableWindow::HistoryTableWindow", 3);
    copy_label(title);
    {
        TRACE_SCOPE(source, "HistoryTableWindow::loadData", 3);
        model.loadData(std::cerr);
    }
    color(panelColor);
    printButton = new Fl_Button(10, 10, 24, 24);
    printButton->box(FL_THIN_UP_BOX);
    printButton->tooltip("Print table");
    printButton->image(Global::printIcon);
    printButton->callback(printCB, this);
    savePdfButton = new Fl_Button(40, 10, 110, 24, "Save as PDF..."); // printed too, in plain dots
    savePdfButton->box(FL_THIN_UP_BOX);
    savePdfButton->tooltip("Save table as PDF\xe2\x80\xa6");
    savePdfButton->callback(savePdfCB, this);
    userBox = new Fl_Box(160, 10, w - 170, 24);
    userBox->copy_label(plainLabel("User: " + RecordView::userName()).c_str());
    userBox->labelfont(FL_HELVETICA_BOLD);
    userBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    countBox = new Fl_Box(10, 44, w - 20, 20);
    countBox->box(FL_NO_BOX);
    countBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    countEntries();
    table = new HistoryTable(30, 69, w - 40, h - 79, model);
    table->saved = [this] {
        countEntries();
        this->events.recordChanged(Global::findVariableNode(model.variableName.c_str()), this);
    };
    resizable(table);
    table->resizeWindow();
    end();
    // Escape cancels an edit in progress; otherwise it closes the window, as its close box does.
    callback(closeCB, this);
    set_non_modal();
    DocumentWindows::add(this);
    show();
}

HistoryTableWindow::~HistoryTableWindow()
{
    DocumentWindows::remove(this);
}

HistoryTableWindow* HistoryTableWindow::find(const std::string& variableName)
{
    return DocumentWindows::find<HistoryTableWindow>(
        [&](HistoryTableWindow* w) { return w->model.variableName == variableName; });
}

HistoryTableWindow* HistoryTableWindow::open(const std::string& variableName, const std::string& userName,
                                             RecordEvents& events)
{
    if (HistoryTableWindow* shown = find(variableName)) {
        shown->show();
        return shown;
    }
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h);
    CurrentGroup topLevel(nullptr);
    return new HistoryTableWindow(std::min(w - 20, 500), std::min(h - 40, 400), (variableName + " History").c_str(),
                                  variableName.c_str(), userName, events);
}

void HistoryTableWindow::reload()
{
    table->cancelEdit();
    model.loadData(std::cerr);
    if (!model.rows.empty())
        model.sortColumn(table->lastSortColumn, table->sortReverse);
    table->rows(int(model.rows.size()));
    countEntries();
    table->redraw();
}

void HistoryTableWindow::countEntries()
{
    countBox->copy_label(("Total number of entries: " + std::to_string(model.rows.size())).c_str());
}

void HistoryTableWindow::closeCB_i()
{
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape && table->editing()) {
        table->cancelEdit();
        return;
    }
    DocumentWindows::close(this);
}

Report HistoryTableWindow::tableReport()
{
    Report report(this, tableReportStyle, userName);
    report.keepGeometry = {table, this};
    report.enlarge = [this] { table->resizeWindow(); };
    report.whiten = {this, table};
    return report;
}

void HistoryTableWindow::printCB_i()
{
    TRACE_SCOPE(source, "HistoryTableWindow::printCB_i", 3);
    tableReport().print();
}

void HistoryTableWindow::savePdfCB_i()
{
    TRACE_SCOPE(source, "HistoryTableWindow::savePdfCB_i", 3);
    tableReport().askAndSavePdf("Save table as PDF", model.variableName);
}
