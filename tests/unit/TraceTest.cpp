#include "app/Trace.h"
#include "tests/unit/TestFolder.h"

#include <cstdio>
#include <string>

namespace {

// Records above the threshold are dropped; a message keeps its line breaks and is cut to its
// buffer. The header's layout is checked end to end on the program's own log.
TEST(TraceTest, ThresholdFiltersRecordsAndMessagesAreCutToTheirBuffer)
{
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    Trace::redirect(out);
    const int threshold = Trace::threshold();
    Trace::setThreshold(3);
    { Trace detail("Global", 10, "Global::findNodeWithId", 4); }
    std::fflush(out);
    EXPECT_EQ(size, 0u);
    Trace::setThreshold(5);
    {
        TRACE_SCOPE("Global", "Global::saveFile", 4);
        TRACE_MSG(3, "Saved file %s\n", "user3.hma");
        TRACE_MSG(4, "%s", std::string(5000, 'y').c_str());
    }
    Trace::redirect(nullptr);
    Trace::setThreshold(threshold);
    std::fclose(out);
    const std::string written(text, size);
    std::free(text);
    EXPECT_NE(written.find("], Entering function , Global::saveFile\n"), std::string::npos) << written;
    EXPECT_NE(written.find("], Saved file user3.hma\n\n"), std::string::npos);
    EXPECT_LT(written.find("Saved"), written.find("], Exiting function , Global::saveFile\n"));
    std::string::size_type start = written.find("yyy");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(written.find('\n', start) - start, 4095u);
}

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
}

}
