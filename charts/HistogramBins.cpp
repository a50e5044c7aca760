#include "charts/HistogramBins.h"

#include "charts/ChartModel.h"

#include <algorithm>
#include <cmath>

namespace {

// A reading on a bin's edge opens that bin, though in binary arithmetic its quotient may fall just
// short of the edge's index (97.6 / 0.1 = 975.999...).
double binIndex(double value, double width)
{
    return std::floor(value / width + 1e-9);
}

}

HistogramBins HistogramBins::count(const ChartPoint* first, const ChartPoint* last, int w, int h)
{
    HistogramBins b;
    double low = 0, high = 0;
    for (const ChartPoint* p = first; p != last; ++p)
        if (std::isfinite(p->value)) {
            low = b.entryCount ? std::min(low, p->value) : p->value;
            high = b.entryCount ? std::max(high, p->value) : p->value;
            ++b.entryCount;
        }
    if (b.entryCount == 0)
        return b;

    // About one bin per 60 pixels; a spread that asks for more bins than the bars have pixels
    // (or a width that is no width) gets wider bins, ten times at a step, so they stay round.
    const int maxBins = std::max(1, plotWidth(w));
    b.binWidth = ChartModel::bestSpacing(true, (high - low) * 60 / std::max(w, 1));
    double bins = 0;
    for (int widened = 0; widened < 400; ++widened) {
        b.firstBin = binIndex(low, b.binWidth);
        bins = std::ceil(high / b.binWidth + 0.1) - b.firstBin;
        if (bins <= maxBins)
            break;
        b.binWidth *= 10;
    }
    b.binCount = int(std::clamp(bins, 1.0, double(maxBins)));
    b.counts.assign(size_t(b.binCount), 0);
    for (const ChartPoint* p = first; p != last; ++p)
        if (std::isfinite(p->value)) {
            double bin = binIndex(p->value, b.binWidth) - b.firstBin;
            ++b.counts[size_t(std::clamp(bin, 0.0, double(b.binCount - 1)))];
        }
    auto nonEmpty = [](int c) { return c != 0; };
    auto front = std::find_if(b.counts.begin(), b.counts.end(), nonEmpty);
    b.firstBin += double(front - b.counts.begin());
    b.counts.erase(b.counts.begin(), front);
    b.counts.erase(std::find_if(b.counts.rbegin(), b.counts.rend(), nonEmpty).base(), b.counts.end());

    const int most = *std::max_element(b.counts.begin(), b.counts.end());
    b.countStep = ChartModel::bestSpacing(true, most * 100.0 / std::max(h, 1));
    b.countTicks = int(std::ceil(most / b.countStep + 0.1) - b.countMin);
    return b;
}

RangeClass HistogramBins::rangeOf(double lo, double hi, const ChartSeries& ranges)
{
    // A pair of equal bounds is no range at all (none stored, no default): it says nothing.
    const bool panicKnown = ranges.panicLow < ranges.panicHigh, normalKnown = ranges.normalLow < ranges.normalHigh;
    // The edges are products of a bin's index and width: one that should meet a bound exactly
    // may miss it in the last bit.
    const double slack = (hi - lo) * 1e-9;
    lo -= slack;
    hi -= slack;
    if (panicKnown && hi > ranges.panicHigh)
        return RangeClass::PanicHigh;
    if (normalKnown && hi > ranges.normalHigh)
        return RangeClass::High;
    if (panicKnown && lo <= ranges.panicLow)
        return RangeClass::PanicLow;
    if (normalKnown && lo <= ranges.normalLow)
        return RangeClass::Low;
    return normalKnown ? RangeClass::Normal : RangeClass::Unranged;
}
