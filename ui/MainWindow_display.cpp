// MainWindow: the display menus and the chart wiring.
#include "ui/MainWindow.h"

#include "app/Prompt.h"
#include "app/Trace.h"
#include "charts/ChartController.h"
#include "charts/core/DisplayMenuItems.h"
#include "charts/TrendBox.h"
#include "history/HistoryTableWindow.h"
#include "records/Global.h"
#include "ui/SearchUserBox.h"

#include <FL/Fl_Menu_Button.H>

#include <algorithm>
#include <cstring>
#include <iostream>

namespace {

const char* const source = "MainWindow";

const struct {
    Fl_Callback* callback;
    const char* key;
} variableCallbacks[] = {{MainWindow::variableValueCB, "value"},
                         {MainWindow::variableSystolicCB, "systolic"},
                         {MainWindow::variableDiastolicCB, "diastolic"},
                         {MainWindow::variablePostprandialCB, "postprandial"},
                         {MainWindow::variableFastingCB, "fasting"}};

Fl_Callback* callbackFor(const char* key)
{
    for (const auto& c : variableCallbacks)
        if (!std::strcmp(c.key, key))
            return c.callback;
    return nullptr;
}

const char* keyOf(const Fl_Menu_Item& item)
{
    for (const auto& c : variableCallbacks)
        if (c.callback == item.callback())
            return c.key;
    return "value";
}

// Every item goes in under a placeholder and is then labelled: a label never passes through the
// toolkit's path syntax, where '/' opens a submenu and an item of the same label is replaced (two
// long names may shorten alike). No record can hold the placeholder, a control character.
int addItem(Fl_Menu_Button* menu, const DisplayMenuItem& item, Fl_Callback* callback, int flags)
{
    int at = menu->add((item.parent + "/\x01").c_str(), 0, callback, item.variable, flags);
    menu->replace(at, item.label.c_str());
    return at;
}

std::string nameOf(const Fl_Menu_Item& item)
{
    return DisplayMenuItems::nameOf(static_cast<XmlNode*>(item.user_data()), item.label());
}

// The items that can be picked start after the "Vitals" title.
std::vector<Fl_Menu_Item*> checkedItems(Fl_Menu_Button* menu)
{
    std::vector<Fl_Menu_Item*> checked;
    for (int i = 1; i < menu->size(); ++i) {
        Fl_Menu_Item* item = const_cast<Fl_Menu_Item*>(&menu->menu()[i]);
        if (item->label() && item->checkbox() && item->value())
            checked.push_back(item);
    }
    return checked;
}

}

void MainWindow::resetDisplayMenu(bool keepChecks)
{
    TRACE_SCOPE(source, "MainWindow::resetDisplayMenu", 3);
    std::vector<std::string> remembered;
    if (keepChecks)
        for (Fl_Menu_Item* item : checkedItems(multiDisplayMenu))
            remembered.push_back(nameOf(*item));
    multiDisplayMenu->clear();
    normalRangeMenu->clear();
    tableMenu->clear();
    multiDisplayMenu->add("Vitals", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE);
    tableMenu->add("Vitals", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE);

    std::vector<DisplayMenuItem> items = DisplayMenuItems::build(Global::userDoc.get());
    for (const DisplayMenuItem& item : items) {
        if (item.menu == DisplayMenuItem::Multi)
            addItem(multiDisplayMenu, item, callbackFor(item.key), FL_MENU_TOGGLE);
        else if (item.menu == DisplayMenuItem::NormalRange)
            addItem(normalRangeMenu, item, item.submenu ? nullptr : normalRangeCB, item.submenu ? FL_SUBMENU : 0);
        else
            addItem(tableMenu, item, tableCB, 0);
    }
    if (!items.empty())
        for (Fl_Menu_Button* menu : {multiDisplayMenu, normalRangeMenu, tableMenu})
            if (const Fl_Menu_Item* title = menu->find_item("Vitals"))
                const_cast<Fl_Menu_Item*>(title)->activate();

    for (int i = 1; i < multiDisplayMenu->size(); ++i) {
        Fl_Menu_Item* item = const_cast<Fl_Menu_Item*>(&multiDisplayMenu->menu()[i]);
        auto found = item->label() && item->checkbox() ? std::find(remembered.begin(), remembered.end(), nameOf(*item))
                                                       : remembered.end();
        if (found != remembered.end()) {
            item->set();
            remembered.erase(found);
        }
    }
}

void MainWindow::variableCB_i(XmlNode* variable, const char* key)
{
    TRACE_SCOPE(source, "MainWindow::variableCB_i", 3);
    Fl_Menu_Item* toggled = const_cast<Fl_Menu_Item*>(multiDisplayMenu->mvalue());
    if (!toggled)
        return;
    // Coming from another display, the chart is rebuilt from every checked item below, so that
    // the check marks and the chart agree again.
    bool rebuild = chart->model.displayType() != ChartModel::MultiDisplay;
    if (rebuild)
        chart->model.clear();
    chart->model.setDisplayType(ChartModel::MultiDisplay);

    std::vector<Fl_Menu_Item*> checked = checkedItems(multiDisplayMenu);
    for (Fl_Menu_Item* item : checked) {
        TRACE_MSG(4, "%s is checked\n", nameOf(*item).c_str());
        std::cout << "MainWindow::variableCB_i" << ": " << nameOf(*item) << " is checked" << std::endl;
    }
    TRACE_MSG(4, "There are %d items checked\n", int(checked.size()));
    std::cout << "MainWindow::variableCB_i" << ": There are " << checked.size() << " items checked" << std::endl;

    bool refused = checked.size() > 4;
    if (refused) {
        TRACE_MSG(4, "User checked more than 4 variables\n");
        toggled->clear();
        Prompt::alert("At most 4 variables can be displayed at the same time.\n"
                      "Please uncheck some variables or clear the graph first.");
    }
    if (rebuild) {
        for (Fl_Menu_Item* item : checkedItems(multiDisplayMenu))
            addVarToChart(nameOf(*item), keyOf(*item), static_cast<XmlNode*>(item->user_data()));
    } else if (!refused) {
        if (toggled->value())
            addVarToChart(nameOf(*toggled), key, variable);
        else
            chart->model.dropSeries(nameOf(*toggled));
    }
    if (rebuild || !refused) {
        chart->refresh();
        trendBox->redraw();
    }
}

void MainWindow::normalRangeCB_i(XmlNode* variable)
{
    TRACE_SCOPE(source, "MainWindow::normalRangeCB_i", 3);
    chart->model.setDisplayType(ChartModel::NormalRange);
    chart->model.clear();
    char path[256] = "";
    normalRangeMenu->item_pathname(path, sizeof path, normalRangeMenu->mvalue());
    TRACE_MSG(3, "item picked in normal range display menu: %s\n", path);
    const char* slash = std::strrchr(path, '/');
    std::string leaf = slash ? slash + 1 : path;
    if (!std::strcmp(path, "Vitals/Blood Sugar")) {
        addVarToChart("Fasting", "fasting", variable);
        addVarToChart("Postprandial", "postprandial", variable);
    } else {
        addVarToChart(leaf, DisplayMenuItems::normalRangeKey(leaf).c_str(), variable);
    }
    resetDisplayMenu(false);
    chart->refresh();
}

void MainWindow::tableCB_i(XmlNode* variable)
{
    TRACE_SCOPE(source, "MainWindow::tableCB_i", 3);
    // The variable's own name: a name holding '/' would read as a deeper menu path.
    const char* name = Xml::attribute(variable, "name");
    TRACE_MSG(3, "item picked in table display menu: %s\n", name ? name : "");
    if (name)
        HistoryTableWindow::open(name, userList->selectedName(), *this);
}

void MainWindow::analysisCB_i(const char* group)
{
    TRACE_SCOPE(source, "MainWindow::analysisCB", 3);
    chart->model.setDisplayType(ChartModel::Analysis);
    chart->model.clear();
    if (group && !std::strcmp(group, "Blood Pressure"))
        if (XmlNode* variable = Global::findVariableNode("Blood Pressure")) {
            addVarToChart("Systolic", "systolic", variable);
            addVarToChart("Diastolic", "diastolic", variable);
        }
    chart->refresh();
}

ChartSeries MainWindow::seriesFor(const std::string& label, const char* key, XmlNode* variable)
{
    return ChartSeries::ranged(variable, label, key, std::cerr);
}

void MainWindow::addVarToChart(std::string label, const char* key, XmlNode* variable)
{
    TRACE_SCOPE(source, "MainWindow::addVarToChart", 3);
    chart->model.addSeries(seriesFor(label, key, variable));
}

void MainWindow::recordChanged(XmlNode* variable, Fl_Window* source)
{
    TRACE_SCOPE(::source, "MainWindow::recordChanged", 3);
    std::vector<std::string> charted;
    for (const ChartSeries& s : chart->model.series)
        if (s.node == variable)
            charted.push_back(s.name);
    for (const std::string& label : charted) {
        // Every series is charted under its member's or its variable's name ("Systolic", "Pulse").
        std::string key = Global::elementName(Global::memberGroupOf(label) ? label : "value");
        chart->model.replaceSeries(seriesFor(label, key.c_str(), variable));
    }
    resetDisplayMenu(true);
    chart->refresh();
    trendBox->redraw();
    const char* name = Xml::attribute(variable, "name");
    if (HistoryTableWindow* shown = name ? HistoryTableWindow::find(name) : nullptr)
        if (shown != source)
            shown->reload();
}

int MainWindow::addPointToChart(std::string name, std::tm when, double value)
{
    return chart->model.addPointToVariable(name, when, value);
}

void MainWindow::chartRemoveCB_i()
{
    TRACE_SCOPE(source, "MainWindow::chartRemoveCB_i", 3);
    for (Fl_Menu_Item* item : checkedItems(multiDisplayMenu))
        item->clear();
    chart->model.clear();
    chart->refresh();
}
