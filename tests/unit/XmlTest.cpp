#include "records/Xml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string deep = "its elements are nested more than " + std::to_string(Xml::maxDepth) + " deep";

std::string checked(const std::string& text)
{
    std::string verdict = Xml::damageIn(text.data(), text.size());
    EXPECT_EQ(verdict, Xml::stepwiseDamageIn(text.data(), text.size())) << text;
    return verdict;
}

// The check reads 64 bytes at a time: every case is tried at each place across the edges of a block.
TEST(XmlDamageTest, TagsAtTheLimitOfNestingWhereverTheyFall)
{
    // Markup, and whether it leaves the depth one higher; some tags end at their first '>' and some
    // do not.
    const std::pair<const char*, bool> tags[] = {
        {"<a>", true},
        {"<entry id=\"7\">", true},
        {"<a x='>'>", true},
        {"<a x=\"></\">", true},
        {"<x=\"a y= \"></\">", true},
        {"<e a=\"it's\">", true},
        {"<a\"b>", true},
        {"<a/>", false},
        {"<a x=\"1\"/>", false},
        {"</a/><c><d>", true},
        {"<!-- <a> -->", false},
        {"<a x=\"1>", false}, // the parser stops here
    };
    std::string nested;
    for (int i = 1; i < Xml::maxDepth; ++i)
        nested += i % 2 ? "<a>" : "<entry id=\"1\">\n\t";
    for (const auto& [markup, deeper] : tags)
        for (size_t shift = 0; shift <= 64; ++shift) {
            std::string blanks(shift, ' ');
            EXPECT_EQ(checked(blanks + markup + nested + "<b>"), deeper ? deep : "") << markup << shift;
            EXPECT_EQ(checked(blanks + nested + markup + "<b>"), deeper ? deep : "") << markup << shift;
        }
}

TEST(XmlDamageTest, ControlCharactersAndReferencesToThemWhereverTheyFall)
{
    const std::pair<const char*, const char*> marks[] = {
        {"\x01", "it holds a control character"},
        {"&#1;", "it holds a reference to a control character"},
        {"&#x1f;", "it holds a reference to a control character"},
        {"&#32; &amp; ! ?\t", ""},
    };
    for (const auto& [mark, damage] : marks)
        for (size_t at = 0; at <= 140; ++at) {
            std::string text = "<patient>" + std::string(140, 'x') + "</patient>";
            EXPECT_EQ(checked(text.insert(9 + at, mark)), damage) << at;
        }
}

}
