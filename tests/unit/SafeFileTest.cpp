#include "records/SafeFile.h"
#include "tests/unit/TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder.write("user0.hma", previous); }
    void TearDown() override { SafeFile::writeCall = ::write; }

    std::string path() const { return folder.path() + "user0.hma"; }
    void expectPreviousFileWhole() const
    {
        EXPECT_EQ(folder.read("user0.hma"), previous);
        EXPECT_EQ(folder.names(), std::vector<std::string>{"user0.hma"});
    }

    TestFolder folder;
    const std::string previous = "<patient id=\"0\">old record</patient>\n";
    const std::string next = std::string(1 << 20, 'n');
};

TEST_F(SafeFileTest, AWriteFailingPartWayLeavesThePreviousFile)
{
    size_t written = 0;
    SafeFile::writeCall = [&](int fd, const void* data, size_t size) -> ssize_t {
        if (written > 300000) {
            errno = ENOSPC;
            return -1;
        }
        ssize_t n = ::write(fd, data, std::min<size_t>(size, 4096));
        written += size_t(n);
        return n;
    };
    std::string error;
    EXPECT_FALSE(SafeFile::write(path(), next, error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    expectPreviousFileWhole();
}

TEST_F(SafeFileTest, AnUnwritableFolderIsReported)
{
    std::string error;
    EXPECT_FALSE(SafeFile::write(folder.path() + "absent/user0.hma", next, error));
    EXPECT_FALSE(error.empty());
    expectPreviousFileWhole();
}

TEST_F(SafeFileTest, AProcessKilledDuringASaveLeavesThePreviousFile)
{
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        size_t written = 0;
        SafeFile::writeCall = [&](int fd, const void* data, size_t size) -> ssize_t {
            if (written > 500000)
                raise(SIGKILL);
            ssize_t n = ::write(fd, data, std::min<size_t>(size, 4096));
            written += size_t(n);
            return n;
        };
        std::string error;
        SafeFile::write(path(), next, error);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(folder.read("user0.hma"), previous);
    // The killed save leaves only its hidden temporary file behind, never a partial record.
    for (const std::string& name : folder.names())
        EXPECT_TRUE(name == "user0.hma" || name.rfind(".user0.hma.", 0) == 0) << name;
}

}

namespace {

TEST_F(SafeFileTest, OnlyLeftoversOfItsOwnSavesAreRemoved)
{
    const std::vector<std::string> leftovers = {".user0.hma.a1B2c3", ".config.hma.ZZZZZZ"};
    const std::vector<std::string> kept = {"user0.hma",         ".user0.hma.abc",     ".user0.hma.abc-de",
                                           "user1.hma.abcdef",  ".notes.txt.abcdef",  ".user0.hma.abcdefg",
                                           ".user9.hma.listed"};
    for (const std::string& name : leftovers)
        folder.write(name, "partial");
    for (const std::string& name : kept)
        folder.write(name, "kept");
    std::vector<std::string> removed =
        SafeFile::removeLeftovers(folder.path(), [](const std::string& name) { return name == ".user9.hma.listed"; });
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{".config.hma.ZZZZZZ", ".user0.hma.a1B2c3"}));
    for (const std::string& name : kept)
        EXPECT_TRUE(folder.exists(name)) << name;
}

TEST_F(SafeFileTest, ReplacesTheWholeFileAndReadsOnlyRegularFiles)
{
    FileBytes content;
    std::string why;
    ASSERT_TRUE(SafeFile::write(path(), next, why)) << why;
    EXPECT_EQ(folder.read("user0.hma"), next);
    EXPECT_EQ(folder.names().size(), 1u);
    SafeFile::write(path(), previous, why);
    ASSERT_EQ(SafeFile::read(path(), content, why), SafeFile::Read::Ok);
    EXPECT_EQ(std::string(content.begin(), content.end()), previous);
    ASSERT_EQ(SafeFile::read(path(), content, why, 8), SafeFile::Read::Ok);
    EXPECT_EQ(std::string(content.begin(), content.end()), previous.substr(0, 8));
    EXPECT_EQ(SafeFile::read(folder.path() + "absent", content, why), SafeFile::Read::CannotOpen);
    EXPECT_EQ(SafeFile::read(folder.path(), content, why), SafeFile::Read::Refused);
    EXPECT_EQ(SafeFile::read("/dev/zero", content, why), SafeFile::Read::Refused);
    EXPECT_EQ(why, "it is not a regular file");
}

}
