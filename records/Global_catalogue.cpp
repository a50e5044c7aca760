// Global: the built-in knowledge about variables, conditions and blood-pressure classes.
#include "records/Global.h"

#include "app/Trace.h"

#include <cctype>
#include <cfloat>

std::map<std::string, Ranges> Global::ranges;
std::map<std::string, std::string> Global::groups;
std::map<std::string, DerivedVariable> Global::derived;
std::map<std::string, std::string> Global::conditions;
std::map<std::string, std::string> Global::analyses;
std::vector<BpClass> Global::bpClasses;

namespace {

const Rgb green = {0, 255, 0};
const Rgb yellow = {255, 255, 0};
const Rgb orange = {255, 96, 20};
const Rgb red = {255, 0, 0};

}

void Global::init()
{
    TRACE_SCOPE("Global", "Global::init", 3);
    ranges = {
        {"Pulse", {60, 100, 40, 120}},
        {"systolic", {90, 139, 80, 149}},
        {"Systolic", {90, 139, 80, 149}},
        {"diastolic", {60, 89, 50, 99}},
        {"Diastolic", {60, 89, 50, 99}},
        {"Temperature", {96.9, 99.5, 95.5, 100.5}},
        {"SpO2", {95, 100, 90, 100}},
        {"postprandial", {90, 180, 60, 200}},
        {"Postprandial", {90, 180, 60, 200}},
        {"fasting", {90, 130, 50, 150}},
        {"Fasting", {90, 130, 50, 150}},
        {"Mean Arterial Pressure", {70, 110, 60, 120}},
        {"Pulse Pressure", {30, 40, 20, 60}},
    };
    groups = {
        {"Systolic", "Blood Pressure"},
        {"Diastolic", "Blood Pressure"},
        {"systolic", "Blood Pressure"},
        {"diastolic", "Blood Pressure"},
    };
    derived = {
        {"Mean Arterial Pressure", {"Blood Pressure", meanArterialPressure}},
        {"Pulse Pressure", {"Blood Pressure", pulsePressure}},
    };
    conditions = {
        {"c0", "Moderate workout"}, {"c1", "Intense workout"}, {"c2", "Resting"},
        {"c3", "After meal"},       {"c4", "Before meal"},
    };
    analyses = {{"Blood Pressure Analysis", "Blood Pressure"}};
    bpClasses = {
        {"Normal", 90, 120, 60, 80, true, 2, 0, green},
        {"Prehypertension", 120, DBL_MAX, 80, DBL_MAX, false, 3, 14, yellow},
        {"Stage 1", 140, DBL_MAX, 90, DBL_MAX, false, 3, 14, orange},
        {"Stage 2", 160, DBL_MAX, 100, DBL_MAX, false, 3, 14, red},
    };
}

const char* Global::groupOf(std::string name)
{
    auto found = groups.find(name);
    return found == groups.end() ? nullptr : found->second.c_str();
}

const char* Global::derivedGroupOf(std::string name)
{
    auto found = derived.find(name);
    return found == derived.end() ? nullptr : found->second.group.c_str();
}

double Global::meanArterialPressure(double systolic, double diastolic)
{
    return diastolic * 0.6666666666666666 + systolic * 0.3333333333333333;
}

double Global::pulsePressure(double systolic, double diastolic)
{
    return systolic - diastolic;
}

namespace {

std::string withFirstLetter(std::string name, int (*change)(int))
{
    if (!name.empty())
        name[0] = char(change(static_cast<unsigned char>(name[0])));
    return name;
}

}

std::string Global::elementName(std::string displayName)
{
    return withFirstLetter(std::move(displayName), std::tolower);
}

std::string Global::displayName(std::string elementName)
{
    return withFirstLetter(std::move(elementName), std::toupper);
}

bool BpClass::contains(double systolic, double diastolic) const
{
    bool systolicIn = systolicFrom <= systolic && systolic < systolicTo;
    bool diastolicIn = diastolicFrom <= diastolic && diastolic < diastolicTo;
    return bothRequired ? systolicIn && diastolicIn : systolicIn || diastolicIn;
}
