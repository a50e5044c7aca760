#include "ui/ReportProgress.h"

#include "app/Palette.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>

ReportProgress::ReportProgress(const std::string& what) : what(what), start(std::chrono::steady_clock::now())
{
}

ReportProgress::~ReportProgress()
{
    if (window) {
        window->hide();
        Fl::delete_widget(window);
    }
}

void ReportProgress::cancelCB(Fl_Widget*, void* data)
{
    static_cast<ReportProgress*>(data)->cancelled = true;
}

bool ReportProgress::step(int done, int total)
{
    if (!window && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500)) {
        window = new Fl_Double_Window(320, 90, "Report for the doctor");
        window->color(panelColor);
        text = new Fl_Box(10, 10, 300, 30);
        text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        auto* cancel = new Fl_Button(220, 52, 90, 28, "Cancel");
        cancel->callback(cancelCB, this);
        window->end();
        window->set_modal();
        window->show();
    }
    if (window) {
        label = what + ": page " + std::to_string(done) + " of " + std::to_string(total);
        text->label(label.c_str());
        Fl::check();
    }
    return !cancelled;
}
