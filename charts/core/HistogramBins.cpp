#include "charts/core/HistogramBins.h"

#include "charts/core/ChartModel.h"

#include <algorithm>
#include <cmath>

namespace {

// A reading on a bin's edge opens that bin, though in binary arithmetic its quotient may fall just
// short of the edge's index (97.6 / 0.1 = 975.999...).
double binIndex(double value, double width)
{
    return std::floor(value / width + 1e-9);
}

// The step in which the readings were taken: 1 for whole numbers, 0.1 for one decimal, and so on
// down to the six decimals a reading is saved with.
double resolution(const ChartPoint* first, const ChartPoint* last)
{
    static const double powers[7] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    int decimals = 0;
    for (const ChartPoint* p = first; p != last && decimals < 6; ++p)
        while (std::isfinite(p->value) && decimals < 6) {
            const double scaled = p->value * powers[decimals];
            if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, std::fabs(scaled)))
                break;
            ++decimals;
        }
    return 1 / powers[decimals];
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
    // A bin narrower than the readings' step would leave every other bin empty.
    b.binWidth = std::max(ChartModel::bestSpacing(true, (high - low) * 60 / std::max(w, 1)), resolution(first, last));
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
    b.lowest.assign(size_t(b.binCount), HUGE_VAL);
    b.highest.assign(size_t(b.binCount), -HUGE_VAL);
    for (const ChartPoint* p = first; p != last; ++p)
        if (std::isfinite(p->value)) {
            double bin = binIndex(p->value, b.binWidth) - b.firstBin;
            size_t i = size_t(std::clamp(bin, 0.0, double(b.binCount - 1)));
            ++b.counts[i];
            b.lowest[i] = std::min(b.lowest[i], p->value);
            b.highest[i] = std::max(b.highest[i], p->value);
        }
    auto nonEmpty = [](int c) { return c != 0; };
    const size_t front = size_t(std::find_if(b.counts.begin(), b.counts.end(), nonEmpty) - b.counts.begin());
    const size_t back = size_t(std::find_if(b.counts.rbegin(), b.counts.rend(), nonEmpty).base() - b.counts.begin());
    b.firstBin += double(front);
    for (auto* list : {&b.lowest, &b.highest})
        *list = std::vector<double>(list->begin() + long(front), list->begin() + long(back));
    b.counts = std::vector<int>(b.counts.begin() + long(front), b.counts.begin() + long(back));

    const int most = *std::max_element(b.counts.begin(), b.counts.end());
    // Counts are whole; the axis ends at all the readings (100 %) where its ticks allow.
    b.countStep = std::max(1.0, ChartModel::bestSpacing(true, most * 100.0 / std::max(h, 1)));
    b.countTicks = int(std::ceil(most / b.countStep + 0.1) - b.countMin);
    const int allTicks = int(std::floor(b.entryCount / b.countStep));
    if (b.countTicks * b.countStep > b.entryCount && allTicks * b.countStep >= most)
        b.countTicks = allTicks;
    b.edgeDecimals = int(std::clamp(std::ceil(-std::log10(b.binWidth) - 1e-9), 0.0, 6.0));
    return b;
}
