#include "records/RecordView.h"
#include "records/TextCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCheckTest, AmountsAreFiniteAndNotNegative)
{
    for (const char* good : {"150", "0", "150.5", ".5", " 72 ", "9999", "1e3"})
        EXPECT_TRUE(TextCheck::isAmount(good)) << good;
    for (const char* bad : {"-150", "--5", ".", "1e308", "nan", "inf", "0x10", "", "5 lbs", "10000", "1e4"})
        EXPECT_FALSE(TextCheck::isAmount(bad)) << bad;
    for (const char* good : {"5 ft 7.5 in", "5 ft 7 in", "0 ft 0 in"})
        EXPECT_TRUE(TextCheck::isHeight(good)) << good;
    for (const char* bad : {"5 ft", "170 cm", "-5 ft 7 in", "5 ft -7 in", "5 ft 1e308 in", "5 ft nan in"})
        EXPECT_FALSE(TextCheck::isHeight(bad)) << bad;
}

TEST(TextCheckTest, NamesNeedAVisibleCharacterAndNoControls)
{
    EXPECT_TRUE(TextCheck::isVisible(" Ann "));
    EXPECT_TRUE(TextCheck::isVisible("\xC3\xA9"));
    EXPECT_FALSE(TextCheck::isVisible("   \t"));
    EXPECT_FALSE(TextCheck::isVisible(""));
    EXPECT_FALSE(TextCheck::hasControl("tab\tand\r\nbreaks"));
    EXPECT_TRUE(TextCheck::hasControl("bell\a"));
    EXPECT_TRUE(TextCheck::hasControl("\x1b[0m"));
}

TEST(TextCheckTest, LongTextsAreCutWithAnEllipsisOnACharacterBoundary)
{
    EXPECT_EQ(RecordView::shortened("Ann Lee"), "Ann Lee");
    EXPECT_EQ(RecordView::shortened(std::string(40, 'a')), std::string(40, 'a'));
    EXPECT_EQ(RecordView::shortened(std::string(10000, 'a')), std::string(40, 'a') + "\xE2\x80\xA6");
    EXPECT_EQ(RecordView::shortened("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
}

}
