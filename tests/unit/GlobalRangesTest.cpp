#include "records/Global.h"
#include "tests/unit/TestFolder.h"

#include <string>

namespace {

class GlobalRangesTest : public StoreFixture {
protected:
    static std::string range(const char* name, const char* kind)
    {
        double low = -1, high = -1;
        char lowText[Global::rangeTextSize], highText[Global::rangeTextSize];
        Global::findRange(name, kind, low, high, lowText, highText);
        return std::to_string(low).substr(0, 6) + " " + std::to_string(high).substr(0, 6) + " " + lowText + " " +
               highText;
    }
};

const char* const bloodPressure = "<variable name=\"Blood Pressure\">"
                                  "<normalLow><systolic>85</systolic><diastolic>55</diastolic></normalLow>"
                                  "<normalHigh><systolic>135</systolic><diastolic>85.75</diastolic></normalHigh>"
                                  "<panicLow><systolic>75</systolic><diastolic>45</diastolic></panicLow>"
                                  "<panicHigh><systolic>150</systolic><diastolic>100</diastolic></panicHigh>"
                                  "</variable>";

// Low, high and their texts, from the record where both bounds are stored, else from the defaults.
TEST_F(GlobalRangesTest, BoundsFromTheRecordOrTheDefaults)
{
    const char* temperature = "<variable name=\"Temperature\"><normalLow>97</normalLow><normalHigh>99.50</normalHigh>"
                              "<panicLow>140.0</panicLow><panicHigh/></variable>";
    const char* empty = "<variable name=\"Temperature\"><normalLow/><normalHigh/><panicLow/><panicHigh/></variable>"
                        "<variable name=\"SpO2\"><normalLow>96</normalLow></variable>";
    const char* sugar = "<variable name=\"Blood Sugar\"><normalLow><fasting>70</fasting></normalLow><normalHigh>"
                        "<fasting>99</fasting></normalHigh><panicLow/><panicHigh/></variable>";
    const char* mood = "<variable name=\"Mood\"><normalLow/><normalHigh>9</normalHigh></variable>";
    const struct {
        const char *record, *name, *kind, *expected;
    } cases[] = {
        {temperature, "Temperature", "normal", "97.000 99.500 97 99.5"},
        // A stored low bound with an empty high bound: each side resolves on its own.
        {temperature, "Temperature", "panic", "140.00 100.50 140 100.5"},
        {empty, "Temperature", "normal", "96.900 99.500 96.9 99.5"},
        {empty, "Temperature", "panic", "95.500 100.50 95.5 100.5"},
        {empty, "SpO2", "normal", "95.000 100.00 95 100"},
        {empty, "SpO2", "other", "90.000 100.00 90 100"}, // any kind but "normal" reads the panic defaults
        {bloodPressure, "Systolic", "normal", "85.000 135.00 85 135"},
        {bloodPressure, "diastolic", "normal", "55.000 85.750 55 85.8"},
        {bloodPressure, "Diastolic", "panic", "45.000 100.00 45 100"},
        {bloodPressure, "Mean Arterial Pressure", "normal", "70.000 110.00 70 110"},
        {bloodPressure, "Mean Arterial Pressure", "panic", "60.000 120.00 60 120"},
        {bloodPressure, "Pulse Pressure", "normal", "30.000 40.000 30 40"},
        // Names without defaults or elements give zero, not garbage.
        {mood, "Mood", "normal", "0.0000 9.0000 0 9"},
        {mood, "Heart Rate", "panic", "0.0000 0.0000 0 0"},
        // Blood-sugar members read the bounds of "Blood Sugar", or their defaults without it.
        {mood, "Fasting", "normal", "90.000 130.00 90 130"},
        {sugar, "Fasting", "normal", "70.000 99.000 70 99"},
        {sugar, "postprandial", "panic", "60.000 200.00 60 200"},
        // A huge stored text stays inside its buffer; an unreadable one is 0.
        {"<variable name=\"Pulse\"><normalLow>1e300</normalLow><normalHigh>abc</normalHigh></variable>", "Pulse",
         "normal", "100000 0.0000 1000000000000000052504760255204 0"},
    };
    for (const auto& c : cases) {
        openRecord(c.record);
        EXPECT_EQ(range(c.name, c.kind), c.expected) << c.name << " " << c.kind;
    }
    // No user open at all.
    Global::userDoc = std::make_unique<XmlDocument>();
    EXPECT_EQ(range("Systolic", "normal"), "90.000 139.00 90 139");
}

}
