#include "ui/PasteFilter.h"

#include "records/TextCheck.h"

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Window.H>

#include <string>

namespace {

Fl_Input_* editable(Fl_Widget* widget)
{
    auto* input = dynamic_cast<Fl_Input_*>(widget);
    return input && !input->readonly() ? input : nullptr;
}

bool isPasteKey()
{
    int key = Fl::event_key(), state = Fl::event_state();
    return (key == 'v' && (state & FL_COMMAND)) || (key == FL_Insert && (state & FL_SHIFT));
}

}

PasteFilter::PasteFilter() : Fl_Widget(0, 0, 0, 0)
{
    // It belongs to no window, whatever group was being built when it was made.
    if (parent())
        parent()->remove(this);
}

PasteFilter& PasteFilter::instance()
{
    static PasteFilter* filter = new PasteFilter;
    return *filter;
}

void PasteFilter::install()
{
    instance();
    Fl::event_dispatch(dispatch);
}

int PasteFilter::dispatch(int event, Fl_Window* window)
{
    Fl_Input_* input = nullptr;
    if (event == FL_KEYBOARD && isPasteKey() && (input = editable(Fl::focus()))) {
        instance().pasteInto(input, 1);
        return 1;
    }
    // The middle button pastes the selection where it is released.
    if (event == FL_RELEASE && Fl::event_button() == FL_MIDDLE_MOUSE && (input = editable(Fl::pushed()))) {
        Fl::pushed(nullptr);
        instance().pasteInto(input, 0);
        return 1;
    }
    int handled = Fl::handle_(event, window);
    // A drop is pasted into the widget below the mouse once the release is taken.
    if (event == FL_DND_RELEASE && handled && (input = editable(Fl::belowmouse()))) {
        int position = input->position(), mark = input->mark();
        Fl::belowmouse(&instance());
        input->position(position, mark);
        if (Fl::focus() != input)
            input->take_focus();
        instance().aim(input);
    }
    return handled;
}

void PasteFilter::aim(Fl_Input_* input)
{
    Fl::release_widget_pointer(target);
    target = input;
    Fl::watch_widget_pointer(target);
}

void PasteFilter::pasteInto(Fl_Input_* input, int clipboard)
{
    aim(input);
    Fl::paste(*this, clipboard);
}

int PasteFilter::handle(int event)
{
    if (event != FL_PASTE || !target)
        return 0;
    std::string text = TextCheck::validUtf8(Fl::event_text() ? Fl::event_text() : "", size_t(Fl::event_length()));
    char* given = Fl::e_text;
    int length = Fl::e_length;
    Fl::e_text = &text[0];
    Fl::e_length = int(text.size());
    int handled = target->handle(FL_PASTE);
    Fl::e_text = given;
    Fl::e_length = length;
    return handled;
}
