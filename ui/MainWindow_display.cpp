// MainWindow: the display menus, the chart wiring and the chart report.
#include "ui/MainWindow.h"

#include "app/Trace.h"
#include "charts/ChartController.h"

#include <FL/Fl_Menu_Button.H>

namespace {
const char* const source = "MainWindow";
}

void MainWindow::resetDisplayMenu(bool)
{
    TRACE_SCOPE(source, "MainWindow::resetDisplayMenu", 3);
    // The display menus' items come with the charts; until then they hold only their greyed titles.
    multiDisplayMenu->clear();
    normalRangeMenu->clear();
    tableMenu->clear();
    multiDisplayMenu->add("Vitals", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE);
    tableMenu->add("Vitals", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE);
}

void MainWindow::chartRemoveCB_i()
{
    TRACE_SCOPE(source, "MainWindow::chartRemoveCB_i", 3);
    for (int i = 1; i < multiDisplayMenu->size(); ++i)
        const_cast<Fl_Menu_Item*>(&multiDisplayMenu->menu()[i])->clear();
    chart->dropVar("all");
    chart->refresh();
}

void MainWindow::analysisCB(Fl_Widget*, void*)
{
    TRACE_SCOPE(source, "MainWindow::analysisCB", 3);
    // The blood-pressure analysis arrives with the charts.
}

void MainWindow::printCB_i()
{
    TRACE_SCOPE(source, "MainWindow::printCB_i", 3);
    // The chart report arrives with the charts; there is nothing to print before then.
}
