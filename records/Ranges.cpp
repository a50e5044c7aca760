#include "records/Ranges.h"

RangeClass Ranges::classify(double value) const
{
    if (panicKnown() && value < panicLow)
        return RangeClass::PanicLow;
    if (panicKnown() && value > panicHigh)
        return RangeClass::PanicHigh;
    if (normalKnown() && value < normalLow)
        return RangeClass::Low;
    if (normalKnown() && value > normalHigh)
        return RangeClass::High;
    return normalKnown() ? RangeClass::Normal : RangeClass::Unranged;
}

RangeClass Ranges::classify(double lowest, double highest) const
{
    if (panicKnown() && highest > panicHigh)
        return RangeClass::PanicHigh;
    if (normalKnown() && highest > normalHigh)
        return RangeClass::High;
    return classify(lowest);
}
