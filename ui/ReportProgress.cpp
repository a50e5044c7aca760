#include "ui/ReportProgress.h"

#include "app/Palette.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Device.H>
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
    if (!window && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(500))
        return !cancelled;
    // The windows are drawn on the screen, not on the page the work is drawing meanwhile.
    Fl_Surface_Device* drawing = Fl_Surface_Device::surface();
    Fl_Display_Device::display_device()->set_current();
    if (!window) {
        window = new Fl_Double_Window(320, 90);
        window->copy_label(what.c_str());
        window->color(panelColor);
        text = new Fl_Box(10, 10, 300, 30);
        text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        auto* cancel = new Fl_Button(220, 52, 90, 28, "Cancel");
        cancel->callback(cancelCB, this);
        window->end();
        window->set_modal();
        window->show();
    }
    label = what + (done < total ? ": page " + std::to_string(done) + " of " + std::to_string(total)
                                 : ": " + std::to_string(total) + " pages, writing the PDF");
    text->label(label.c_str());
    Fl::check();
    drawing->set_current();
    return !cancelled;
}
