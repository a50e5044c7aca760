#include "records/Global.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class GlobalCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { Global::init(); }
    std::string classesOf(double systolic, double diastolic)
    {
        std::string names;
        for (const BpClass& c : Global::bpClasses)
            if (c.contains(systolic, diastolic))
                names += (names.empty() ? "" : ",") + c.name;
        return names;
    }
};

TEST_F(GlobalCatalogueTest, DerivedPressures)
{
    EXPECT_NEAR(Global::meanArterialPressure(120, 80), 93.3333333, 1e-6);
    EXPECT_DOUBLE_EQ(Global::pulsePressure(120, 80), 40);
    EXPECT_STREQ(Global::derivedGroupOf("Pulse Pressure"), "Blood Pressure");
    EXPECT_EQ(Global::derivedGroupOf("Pulse"), nullptr);
    EXPECT_STREQ(Global::groupOf("Systolic"), "Blood Pressure");
    EXPECT_EQ(Global::groupOf("Fasting"), nullptr);
}

TEST_F(GlobalCatalogueTest, BloodPressureClassMembership)
{
    EXPECT_EQ(classesOf(118, 78), "Normal");
    EXPECT_EQ(classesOf(125, 78), "Prehypertension");
    EXPECT_EQ(classesOf(125, 85), "Prehypertension");
    EXPECT_EQ(classesOf(110, 85), "Prehypertension");
    EXPECT_EQ(classesOf(145, 85), "Prehypertension,Stage 1");
    EXPECT_EQ(classesOf(165, 105), "Prehypertension,Stage 1,Stage 2");
    EXPECT_EQ(classesOf(89, 70), "");
    EXPECT_EQ(classesOf(85, 55), "");
    // Lower bounds are inclusive, upper bounds exclusive.
    EXPECT_EQ(classesOf(120, 79), "Prehypertension");
    EXPECT_EQ(classesOf(90, 60), "Normal");
}

}
