// The main window: layout of every panel, the user controls and the panel refresh.
#include "ui/MainWindow.h"

#include "app/PrintJob.h"
#include "app/Trace.h"
#include "charts/ChartController.h"
#include "charts/LegendBox.h"
#include "charts/TrendBox.h"
#include "history/HistoryBox.h"
#include "history/HistoryTableWindow.h"
#include "records/Global.h"
#include "ui/Artwork.h"
#include "ui/DoctorReportWindow.h"
#include "ui/DocumentWindows.h"
#include "ui/SearchUserBox.h"
#include "ui/TabBrowser.h"
#include "ui/UserInfoBox.h"

#include <algorithm>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Pack.H>
#include <FL/Fl_Pixmap.H>
#include <FL/fl_draw.H>

#include <map>

MainWindow* mainWindow = nullptr;
const char* const noticeText = "A personal log - not a substitute for a doctor's advice";

namespace {

const char* const source = "MainWindow";
const char* const userMenuItems[] = {"File/Save", "File/Close", "File/Save chart as PDF…", "File/Report for the doctor…",
                                     "File/Export readings as CSV…", "File/Import readings from CSV…",
                                     "Edit/Information"};

// Widgets do not own their images; these live, shared, for the whole run.
Fl_Image* pixmap(const char* const* xpm)
{
    static auto* made = new std::map<const char* const*, Fl_Pixmap*>;
    Fl_Pixmap*& image = (*made)[xpm];
    if (!image)
        image = new Fl_Pixmap(xpm);
    return image;
}

Fl_Button* addIconButton(Fl_Image* image, const char* tooltip, Fl_Callback* cb, void* data)
{
    Fl_Button* button = new Fl_Button(0, 0, 24, 24);
    button->box(FL_THIN_UP_BOX);
    button->image(image);
    button->tooltip(tooltip);
    button->callback(cb, data);
    return button;
}

Fl_Menu_Button* addMenuButton(const char* label)
{
    Fl_Menu_Button* menu = new Fl_Menu_Button(0, 0, int(fl_width(label)) + 40, 25, label);
    menu->box(FL_UP_BOX);
    return menu;
}

}

MainWindow::MainWindow(int w, int h, const char* title) : Fl_Double_Window(0, 0, w, h, title)
{
    TRACE_SCOPE(source, "MainWindow::MainWindow", 3);
    const int s = panelHeight(h);
    fl_open_display();

    Fl_Group* top = new Fl_Group(0, 0, w, 50);
    Fl_Group* menuRow = new Fl_Group(0, 0, w, 25);
    fl_font(FL_HELVETICA_ITALIC, 12);
    int c = int(fl_width(noticeText));
    Fl_Box* logo = new Fl_Box(w - c - 80, 1, 65, 24);
    logo->image(pixmap(logoXpm));
    Fl_Box* notice = new Fl_Box(w - c - 10, 1, c, 24, noticeText);
    notice->labelfont(FL_HELVETICA_ITALIC);
    notice->labelsize(12);
    fl_font(FL_HELVETICA, 12);
    menuBar = new Fl_Menu_Bar(0, 0, w - c - 90, 25);
    menuBar->add("File/New", 0, newCB, this);
    menuBar->add("File/Close", 0, closeCB, this);
    menuBar->add("File/Save", 0, menuCB, this);
    menuBar->add("File/Save chart as PDF…", 0, savePdfCB, this);
    menuBar->add("File/Report for the doctor…", 0, DoctorReportWindow::openCB, nullptr);
    menuBar->add("File/Export readings as CSV…", 0, exportCsvCB, this);
    menuBar->add("File/Import readings from CSV…", 0, importCsvCB, this);
    menuBar->add("File/Exit", 0, menuCB, this);
    menuBar->add("Edit/Information", 0, editInfoCB, this);
    menuRow->end();
    menuRow->resizable(menuBar);

    Fl_Group* toolRow = new Fl_Group(0, 26, w, 24);
    Fl_Pack* pack = new Fl_Pack(5, 27, w, 24);
    pack->type(Fl_Pack::HORIZONTAL);
    pack->spacing(5);
    addUserButton = addIconButton(pixmap(newUserXpm), "Add a new user", newCB, this);
    editUserButton = addIconButton(pixmap(editUserXpm), "Edit selected user", editInfoCB, this);
    removeUserButton = addIconButton(pixmap(removeUserXpm), "Remove selected user", userRemoveCB, this);
    clearChartButton = addIconButton(pixmap(clearChartXpm), "Clear selected variables and chart", chartRemoveCB, this);
    printButton = addIconButton(Global::printIcon, "Print chart", printCB, this);
    addIconButton(pixmap(helpXpm), "Help on Marlowen", helpCB, this);
    multiDisplayMenu = addMenuButton("Multi-Display");
    normalRangeMenu = addMenuButton("Normal Range Display");
    tableMenu = addMenuButton("Table Display");
    const auto& analysis = *Global::analyses.begin();
    analysisButton = new Fl_Button(0, 0, int(fl_width(analysis.first.c_str())) + 40, 25, analysis.first.c_str());
    analysisButton->box(FL_UP_BOX);
    analysisButton->callback(analysisCB, const_cast<char*>(analysis.second.c_str()));
    const char* printing = "Printing the report…";
    printingBox = new Fl_Box(0, 0, int(fl_width(printing)) + 20, 25, printing);
    printingBox->hide();
    pack->end();
    toolRow->end();
    toolRow->resizable(nullptr);
    top->end();

    Fl_Group* content = new Fl_Group(0, 51, w, h - 51);
    Fl_Group* left = new Fl_Group(0, 51, 250, h - 51);
    Fl_Group* upperLeft = new Fl_Group(0, 51, 250, 2 * s + 2);
    userList = new SearchUserBox(s, *this);
    userInfo = new UserInfoBox(s + 53, s);
    infoEditButton = new Fl_Button(23, s + 111, 207, s - 86);
    infoEditButton->box(FL_NO_BOX);
    infoEditButton->callback(editInfoCB, this);
    upperLeft->end();
    historyBox = new HistoryBox(2 * s + 55, *this);
    left->end();
    left->resizable(upperLeft);

    Fl_Group* right = new Fl_Group(251, 51, w - 251, h - 51);
    chart = new ChartController(252, w - 256, 2 * s + 1);
    Fl_Group* trendRow = new Fl_Group(251, 2 * s + 53, w - 251, 198);
    trendBox = new TrendBox(252, 2 * s + 55, w - 411);
    trendBox->chart = &chart->model;
    chart->trendView = trendBox;
    new LegendBox(w - 157, 2 * s + 55);
    trendRow->end();
    trendRow->resizable(trendBox);
    right->end();
    right->resizable(chart);
    content->end();
    // The left column keeps its width; the chart takes what the window gains.
    content->resizable(right);

    enableUserMenuItems(false);
    enableUserControls(false);
    end();
    resizable(content);
    // Below this every control and the class legend no longer fit; a smaller screen keeps its own size.
    size_range(std::min(930, w), std::min(700, h));
    callback(windowCloseCB, this);
    Global::userDocReplacing = DocumentWindows::closeAll;
    PrintJob::changed = [] {
        if (!mainWindow)
            return;
        if (PrintJob::running())
            mainWindow->printingBox->show();
        else
            mainWindow->printingBox->hide();
        mainWindow->printingBox->parent()->redraw();
    };
    show();
    mainWindow = this;
    DocumentWindows::centreOver = this;
}

MainWindow::~MainWindow()
{
    if (DocumentWindows::centreOver == this)
        DocumentWindows::centreOver = nullptr;
}

void MainWindow::enableUserMenuItems(bool on)
{
    for (const char* path : userMenuItems)
        if (Fl_Menu_Item* item = const_cast<Fl_Menu_Item*>(menuBar->find_item(path)))
            on ? item->activate() : item->deactivate();
}

void MainWindow::enableUserControls(bool on)
{
    TRACE_SCOPE(source, "MainWindow::enableUserControls", 3);
    enableUserMenuItems(on);
    if (on)
        resetDisplayMenu(false);
    Fl_Widget* controls[] = {multiDisplayMenu, normalRangeMenu, tableMenu,    editUserButton, removeUserButton,
                             clearChartButton, infoEditButton,  printButton, analysisButton};
    for (Fl_Widget* control : controls)
        on ? control->activate() : control->deactivate();
}

void MainWindow::windowCloseCB(Fl_Widget*, void*)
{
    if (mainWindow && !mainWindow->leavePendingUser())
        return;
    // Closing the main window ends the program, whatever dialogs are still open.
    while (Fl_Window* window = Fl::first_window())
        window->hide();
}

void MainWindow::refreshPanels(bool selectCurrent, bool deselect, bool clearChart)
{
    TRACE_SCOPE(source, "MainWindow::refreshPanels", 3);
    redraw();
    userList->redraw();
    int selected = userList->browser->value();
    int line = userList->populateBrowser(Global::currentId);
    if ((selected && line) || (selectCurrent && line))
        userList->browser->select(line);
    if (deselect)
        userList->browser->deselect();
    // A name edited meanwhile heads the history windows' printed tables.
    for (Fl_Window* open : DocumentWindows::all())
        if (auto* history = dynamic_cast<HistoryTableWindow*>(open))
            history->setUserName(userList->selectedName());
    userInfo->redraw();
    userInfo->populateBrowser();
    // Every tab, not only the showing one: a hidden tab must not keep names from a replaced record.
    for (TabBrowser* tab : {historyBox->vitalsTab, historyBox->labTab, historyBox->medicineTab})
        tab->populateBrowser();
    historyBox->redraw();
    trendBox->redraw();
    if (clearChart) {
        resetDisplayMenu(false);
        chart->model.clear();
    } else {
        resetDisplayMenu(true);
    }
    chart->refresh();
}
