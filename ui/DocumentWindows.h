// Windows that hold pointers into the open user's document register here, so that they are
// closed before that document is replaced or the user is closed.
#pragma once

#include <vector>

class Fl_Window;

class DocumentWindows {
public:
    static void add(Fl_Window* window);
    static void remove(Fl_Window* window);
    // Registers a dialog and shows it centred on the main window (without a window manager it
    // would cover the user list at the screen's corner).
    static void open(Fl_Window* window);
    static Fl_Window* centreOver; // the main window, once it is shown
    // Unregisters, hides and schedules for deletion.
    static void close(Fl_Window* window);
    // Hides every registered window and schedules it for deletion.
    static void closeAll();
    static int count();
    static const std::vector<Fl_Window*>& all();
    // The first registered window of a kind (that passes the test), or null.
    template <class W> static W* find()
    {
        return find<W>([](W*) { return true; });
    }
    template <class W, class Test> static W* find(Test test)
    {
        for (Fl_Window* window : all())
            if (W* found = dynamic_cast<W*>(window); found && test(found))
                return found;
        return nullptr;
    }
};
