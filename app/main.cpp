// Start-up: the toolkit's look, the catalogue, the data folder and its directory of users, the main window.
#include "app/Prompt.h"
#include "app/Startup.h"
#include "app/TimeZone.h"
#include "app/ToolkitPrompt.h"
#include "app/Trace.h"
#include "records/Global.h"
#include "ui/MainWindow.h"
#include "ui/PasteFilter.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_ask.H>

#include <string>

int main(int, char**)
{
    TimeZone::settle();
    Trace::setThreshold(5);
    Trace::write("main", __LINE__, "main", 3, "\n\nNew Session\n");
    TRACE_SCOPE("main", "main", 3);

    fl_message_font(FL_HELVETICA, 12);
    fl_message_title_default("Marlowen Veloria");
    FL_NORMAL_SIZE = 12;
    Fl_Tooltip::font(FL_HELVETICA);
    Fl_Tooltip::size(11);
    Fl_Tooltip::enable(1);
    Fl::visible_focus(0);
    Fl::visual(FL_DOUBLE);
    Fl::set_color(FL_BACKGROUND_COLOR, 200, 200, 205);
    Fl::scheme("gtk+");
    PasteFilter::install();
    static ToolkitPrompt toolkitPrompt;
    Prompt::setHandler(&toolkitPrompt);

    Global::init();
    Global::initImages();

    Startup::openDataFolder(MV_INSTALL_DATADIR);

    std::string title = std::string("Kestrelon") + " - " + "Marlowen Veloria";
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h);
    new MainWindow(w - 20, h - 40, title.c_str());
    return Fl::run();
}
