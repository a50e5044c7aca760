// Widgets made outside a window's constructor (while drawing, or a window opened from a callback)
// go into the group named here; the group that was current before is current again at scope end.
#pragma once

#include <FL/Fl_Group.H>

class CurrentGroup {
public:
    explicit CurrentGroup(Fl_Group* group) : saved(Fl_Group::current()) { Fl_Group::current(group); }
    ~CurrentGroup() { Fl_Group::current(saved); }
    CurrentGroup(const CurrentGroup&) = delete;
    CurrentGroup& operator=(const CurrentGroup&) = delete;

private:
    Fl_Group* saved;
};
