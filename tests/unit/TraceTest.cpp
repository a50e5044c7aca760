#include "app/Trace.h"
#include "tests/unit/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        out = std::tmpfile();
        Trace::redirect(out);
        savedThreshold = Trace::threshold();
    }
    void TearDown() override
    {
        Trace::redirect(nullptr);
        Trace::setThreshold(savedThreshold);
        std::fclose(out);
    }
    std::string written()
    {
        std::fflush(out);
        std::rewind(out);
        std::string text;
        char chunk[512];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, out)) > 0)
            text.append(chunk, n);
        return text;
    }
    std::FILE* out = nullptr;
    int savedThreshold = 3;
};

TEST_F(TraceTest, HeaderPadsNamesAndZeroFillsLineNumbers)
{
    EXPECT_EQ(Trace::header("C:\\src\\Global", 7, "Global::saveFile", "Sat Dec  5 14:00:24 2026]"),
              "Global                          (00007): , [Global::saveFile], [s_0] [Sat Dec  5 14:00:24 2026], ");
    EXPECT_EQ(Trace::header("/home/src/main", 123456, "main", "T]"),
              "main                            (123456): , [main            ], [s_0] [T], ");
    std::string longName(40, 'x');
    EXPECT_EQ(Trace::header(longName.c_str(), 1, "n", "T]").substr(0, 41), longName + "(");
}

TEST_F(TraceTest, ThresholdFiltersRecordsByLevel)
{
    Trace::setThreshold(3);
    { Trace detail("Global", 10, "Global::findNodeWithId", 4); }
    EXPECT_EQ(written(), "");

    Trace::setThreshold(5);
    { Trace detail("Global", 10, "Global::findNodeWithId", 4); }
    std::string text = written();
    EXPECT_NE(text.find("(00010): , [Global::findNodeWithId], [s_0] ["), std::string::npos);
    EXPECT_NE(text.find("], Entering function , Global::findNodeWithId\n"), std::string::npos);
    EXPECT_NE(text.find("], Exiting function , Global::findNodeWithId\n"), std::string::npos);
    EXPECT_LT(text.find("Entering"), text.find("Exiting"));
}

TEST_F(TraceTest, MessagesKeepTheirLineBreaksAndAreCutToTheirBuffer)
{
    Trace::setThreshold(5);
    {
        TRACE_SCOPE("Global", "Global::saveFile", 3);
        TRACE_MSG(3, "Saved file %s\n", "user3.hma");
        TRACE_MSG(4, "%s", std::string(5000, 'y').c_str());
    }
    std::string text = written();
    EXPECT_NE(text.find("], Saved file user3.hma\n\n"), std::string::npos);
    std::string::size_type start = text.find("yyy");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(text.find('\n', start) - start, 4095u);
}

}

namespace {

TEST(TraceLogTest, GoesToTheFirstWritablePlaceAndRotatesABigLog)
{
    TestFolder folder;
    std::string unwritable = "/proc/no-such-folder/log.txt";
    std::string state = folder.path() + "state/Kestrelon/Marlowen Veloria/log.txt";
    std::FILE* log = Trace::openLog({unwritable, state}, 100);
    ASSERT_NE(log, nullptr);
    std::fputs(std::string(150, 'x').c_str(), log);
    std::fclose(log);
    log = Trace::openLog({unwritable, state}, 100);
    ASSERT_NE(log, nullptr);
    std::fclose(log);
    EXPECT_EQ(folder.read("state/Kestrelon/Marlowen Veloria/log.txt"), "");
    EXPECT_EQ(folder.read("state/Kestrelon/Marlowen Veloria/log.txt.1"), std::string(150, 'x'));
    EXPECT_EQ(Trace::openLog({unwritable}, 100), nullptr);
    for (const char* name : {"log.txt", "log.txt.1", ""})
        std::remove((folder.path() + "state/Kestrelon/Marlowen Veloria/" + name).c_str());
    for (const char* name : {"state/Kestrelon", "state"})
        rmdir((folder.path() + name).c_str());
}

}
