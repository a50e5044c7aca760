// Where a one-page report puts its two heading lines and its widget on the page: the scale that
// fits the widget, whether the page is turned, and the heading at fixed printed sizes.
#pragma once

struct ReportStyle {
    bool landscape;  // the widget's width runs along the page's long side
    int gap;         // drawing units from the top of the page to the widget
    int headingTop;  // printed points from the top of the page to the first heading line
    int lineSpacing; // printed points from the first heading line to the second
};

// The chart: turned to landscape, the widget 150 units below the top.
const ReportStyle chartReportStyle{true, 150, 0, 20};
// A history table: upright, the window 100 units below the top.
const ReportStyle tableReportStyle{false, 100, 30, 15};

struct ReportBox {
    int x, y, w, h;
};

struct ReportLayout {
    // pageW and pageH: the printable area in printed points, as the page comes; widgetW and
    // widgetH: the size of the widget to print, in pixels.
    static ReportLayout compute(const ReportStyle& style, int pageW, int pageH, int widgetW, int widgetH);

    double scale;  // printed points per drawing unit
    bool rotated;  // turned by 90 degrees, because a landscape report came on an upright page
    int gap;       // drawing units from the top of the page to the widget
    int titleSize; // the first line's font size, in drawing units
    int creditSize;
    ReportBox title; // in drawing units
    ReportBox credit;
};
