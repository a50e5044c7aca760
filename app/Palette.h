// Colours shared by the panels, the chart, the table and the histogram (toolkit RGB colour values).
#pragma once

#include "records/Global.h"
#include "records/Ranges.h"

#include <FL/Enumerations.H>

const Fl_Color panelColor = 0xE6E8E800;     // 230, 232, 232
const Fl_Color normalColor = 0x32C81400;    // 50, 200, 20
const Fl_Color lowColor = 0xC818D800;       // 200, 24, 216
const Fl_Color highColor = 0xFF601400;      // 255, 96, 20
const Fl_Color panicLowColor = 0x53189D00;  // 83, 24, 157
const Fl_Color panicHighColor = 0xA01E0500; // 160, 30, 5
const Fl_Color unrangedColor = 0xA0A0A800;  // 160, 160, 168: a value of a variable without ranges
// The colour of each RangeClass, in its order: table cells, legend and histogram bars.
const Fl_Color rangeColors[6] = {panicLowColor, lowColor, normalColor, highColor, panicHighColor, unrangedColor};
inline Fl_Color rangeColor(RangeClass c)
{
    return rangeColors[int(c)];
}
const Fl_Color selectedButtonColor = 0x379CFF00; // 55, 156, 255

// Browsers show names and values as typed; this control character never occurs in them, so it
// stands in for the toolkit's '@' as the start of a formatting code.
const char textOnly = '\x01';

// A label shows a name as typed once its '@' are doubled.
inline std::string plainLabel(std::string text)
{
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 2))
        text.insert(at, 1, '@');
    return text;
}

inline Fl_Color toolkitColor(Rgb c)
{
    return fl_rgb_color(c.r, c.g, c.b);
}

// The plot's grid and axis ticks (a dark grey of the toolkit's grey ramp) and its captions.
const Fl_Color gridColor = 38;
const Fl_Color labelColor = 0x32323200; // 50, 50, 50
