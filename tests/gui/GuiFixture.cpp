#include "tests/gui/GuiFixture.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "ui/MainWindow.h"
#include "ui/SearchUserBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Hold_Browser.H>

#include <cstdio>

void GuiFixture::SetUp()
{
    static std::FILE* devNull = std::fopen("/dev/null", "w");
    Trace::redirect(devNull);
    StoreFixture::SetUp();
    Global::initImages();
    folder.seed();
}

void GuiFixture::TearDown()
{
    while (Fl_Window* w = Fl::first_window())
        w->hide();
    delete window;
    mainWindow = nullptr;
    Fl::check();
}

std::string GuiFixture::record(int id, const std::string& first, const std::string& last)
{
    return "<patient id=\"" + std::to_string(id) + "\"><info><name><first>" + first + "</first><last>" + last +
           "</last></name><dob/><gender/><weight>150</weight><height/><stepSize/><race/></info>"
           "<variable name=\"Heart Rate\"><normalLow/><normalHigh/><panicLow/><panicHigh/></variable>"
           "<lab name=\"Cholesterol\"/><drug name=\"Aspirin\"/></patient>";
}

void GuiFixture::makeUsers(const std::vector<std::pair<std::string, std::string>>& names)
{
    std::string config = "<config>";
    int id = 0;
    for (const auto& name : names) {
        config += "<patient id=\"" + std::to_string(id) + "\"><name><first>" + name.first + "</first><last>" +
                  name.second + "</last></name><file>user" + std::to_string(id) + ".hma</file></patient>";
        folder.write("user" + std::to_string(id) + ".hma", record(id, name.first, name.second));
        ++id;
    }
    folder.write("config.hma", config + "</config>");
}

void GuiFixture::startWindow(int w, int h)
{
    ASSERT_TRUE(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                 Global::OnDamage::Terminate));
    window = new MainWindow(w, h, "Kestrelon - Marlowen Veloria");
    Fl::check();
}

void GuiFixture::showAnn(const std::string& variables, const std::string& information)
{
    makeUsers({{"Ann", "Lee"}, {"Bo", "Ng"}});
    if (!variables.empty() || !information.empty())
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name>" +
                                      information + "</info>" + variables + "</patient>");
    startWindow(1260, 984);
    clickUserLine(1);
}

void GuiFixture::clickUserLine(int line)
{
    window->userList->browser->value(line);
    window->userList->browserCB_i();
    Fl::check();
}

std::vector<std::string> GuiFixture::userLines() const
{
    std::vector<std::string> lines;
    Fl_Hold_Browser* browser = window->userList->browser;
    for (int i = 1; i <= browser->size(); ++i)
        lines.push_back(browser->text(i));
    return lines;
}
