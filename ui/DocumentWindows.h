// Windows that hold pointers into the open user's document register here, so that they are
// closed before that document is replaced or the user is closed.
#pragma once

#include <vector>

class Fl_Window;

class DocumentWindows {
public:
    static void add(Fl_Window* window);
    static void remove(Fl_Window* window);
    // Hides every registered window and schedules it for deletion.
    static void closeAll();
    static int count();
    static const std::vector<Fl_Window*>& all();
    // The first registered window of a kind, or null.
    template <class W> static W* find()
    {
        for (Fl_Window* window : all())
            if (W* found = dynamic_cast<W*>(window))
                return found;
        return nullptr;
    }
};
