// Every paste and drop into a text input of the program passes through here first, so that no
// input takes bytes that are not UTF-8: the toolkit's input reads past the end of such a text.
#pragma once

#include <FL/Fl_Widget.H>

class Fl_Input_;
class Fl_Window;

class PasteFilter : public Fl_Widget {
public:
    // Sets the one event filter (Fl::event_dispatch) of the program.
    static void install();
    static int dispatch(int event, Fl_Window* window);

    int handle(int event) override;
    void draw() override {}

private:
    PasteFilter();
    static PasteFilter& instance();
    // The toolkit hands a paste to the widget that asked for it, past any filter: the filter asks
    // in the input's place, and hands on what arrives, repaired.
    void pasteInto(Fl_Input_* input, int clipboard);
    void aim(Fl_Input_* input);

    Fl_Widget* target = nullptr; // watched: null once the input is gone
};
