#include "app/DataFolder.h"

#include <gtest/gtest.h>

TEST(DataFolderTest, PrefersAnAbsoluteXdgDataHome)
{
    EXPECT_EQ(DataFolder::compose("/data", "/home/ann"), "/data/Kestrelon/Marlowen Veloria/");
    EXPECT_EQ(DataFolder::compose("/data/", "/home/ann"), "/data/Kestrelon/Marlowen Veloria/");
}

TEST(DataFolderTest, FallsBackToHomeWhenXdgIsUnusable)
{
    const char* expected = "/home/ann/.local/share/Kestrelon/Marlowen Veloria/";
    EXPECT_EQ(DataFolder::compose(nullptr, "/home/ann"), expected);
    EXPECT_EQ(DataFolder::compose("", "/home/ann"), expected);
    EXPECT_EQ(DataFolder::compose("relative/dir", "/home/ann"), expected);
}

TEST(DataFolderTest, NoFolderWithoutAnyUsableVariable)
{
    EXPECT_EQ(DataFolder::compose(nullptr, nullptr), "");
    EXPECT_EQ(DataFolder::compose("", ""), "");
    EXPECT_EQ(DataFolder::compose("x", "relative"), "");
    EXPECT_EQ(DataFolder::compose("/", nullptr), "/Kestrelon/Marlowen Veloria/");
}
