// The look shared by the side panels: a sunken background in the panel colour under a raised,
// bold title bar.
#pragma once

class PanelFrame {
public:
    // Adds the two boxes to the current group.
    static void add(int x, int y, int w, int h, const char* title);
};
