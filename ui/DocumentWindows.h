// Windows that hold pointers into the open user's document register here, so that they are
// closed before that document is replaced or the user is closed.
#pragma once

class Fl_Window;

class DocumentWindows {
public:
    static void add(Fl_Window* window);
    static void remove(Fl_Window* window);
    // Hides every registered window and schedules it for deletion.
    static void closeAll();
    static int count();
};
