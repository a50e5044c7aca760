#include "records/ReadingLimits.h"

#include "records/NumberText.h"

#include <map>

namespace {

const std::map<std::string, ReadingLimits::Limits>& table()
{
    static const std::map<std::string, ReadingLimits::Limits> limits = {
        {"systolic", {"mmHg", 10, 400, 60, 260}},
        {"diastolic", {"mmHg", 5, 300, 30, 160}},
        {"Heart Rate", {"beats/min", 1, 350, 30, 220}},
        {"Pulse", {"beats/min", 1, 350, 30, 220}},
        {"Temperature", {"\xC2\xB0" "F", 50, 120, 90, 108}},
        {"SpO2", {"%", 1, 100, 70, 100}},
        {"fasting", {"mg/dL", 1, 2000, 30, 600}},
        {"postprandial", {"mg/dL", 1, 2000, 30, 600}},
        {"Mood", {"", 1, 10, 1, 10}},
    };
    return limits;
}

std::string amount(double number, const char* unit)
{
    return NumberText::shortest(number) + (*unit ? " " : "") + unit;
}

std::string span(double low, double high, const char* unit)
{
    return "between " + NumberText::shortest(low) + " and " + amount(high, unit);
}

}

const ReadingLimits::Limits* ReadingLimits::find(const std::string& variable, const std::string& element)
{
    auto found = table().find(element == "value" ? variable : element);
    return found == table().end() ? nullptr : &found->second;
}

ReadingLimits::Verdict ReadingLimits::judge(const std::string& variable, const std::vector<Value>& values,
                                            std::string& message)
{
    std::string impossible, unlikely;
    const Value* systolic = nullptr;
    const Value* diastolic = nullptr;
    for (const Value& value : values) {
        if (value.element == "systolic")
            systolic = &value;
        if (value.element == "diastolic")
            diastolic = &value;
        const Limits* limits = find(variable, value.element);
        if (!value.typed || !limits)
            continue;
        if (value.number < limits->lowest || value.number > limits->highest)
            impossible += "The value you entered for " + value.label + ", " + amount(value.number, limits->unit) +
                          ", is not possible: it must lie " +
                          span(limits->lowest, limits->highest, limits->unit) + ".\n";
        else if (value.number < limits->usualLow || value.number > limits->usualHigh)
            unlikely += "The value you entered for " + value.label + ", " + amount(value.number, limits->unit) +
                        ", is unusual: most readings lie " +
                        span(limits->usualLow, limits->usualHigh, limits->unit) + ".\n";
    }
    if (systolic && diastolic && (systolic->typed || diastolic->typed) && diastolic->number >= systolic->number)
        unlikely += "The " + diastolic->label + " of " + amount(diastolic->number, "mmHg") +
                    " is not below the " + systolic->label + " of " + amount(systolic->number, "mmHg") +
                    " of the same reading.\n";
    message = !impossible.empty() ? impossible : unlikely;
    if (!message.empty())
        message.pop_back();
    return !impossible.empty() ? Impossible : !unlikely.empty() ? Unlikely : Likely;
}
