#include "app/ReportLayout.h"

#include <algorithm>
#include <cmath>

ReportLayout ReportLayout::compute(const ReportStyle& style, int pageW, int pageH, int widgetW, int widgetH)
{
    ReportLayout l{};
    l.rotated = style.landscape && pageW < pageH;
    const double across = std::max(l.rotated ? pageH : pageW, 1), down = std::max(l.rotated ? pageW : pageH, 1);
    const double w = std::max(widgetW, 1), h = std::max(widgetH, 1);
    const double headingBottom = style.headingTop + style.lineSpacing + 20;
    l.scale = std::min(across / w, down / (h + style.gap));
    l.gap = style.gap;
    // On a large widget the gap, scaled down with it, would run under the heading: then the
    // heading keeps its printed height and the widget takes what is left below it.
    if (style.gap * l.scale < headingBottom && down > headingBottom) {
        l.scale = std::min(across / w, (down - headingBottom) / h);
        l.gap = int(std::ceil(headingBottom / l.scale));
    }
    auto units = [&](double points) { return int(points / l.scale); };
    l.titleSize = units(13);
    l.creditSize = units(10);
    l.title = {units(20), units(style.headingTop), units(100), units(20)};
    l.credit = {units(30), units(style.headingTop + style.lineSpacing), units(100), units(20)};
    return l;
}
