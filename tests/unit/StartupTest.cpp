// What the program settles at start-up: its data folder, made on the first run and locked, and
// the trace log.
#include "app/DataFolder.h"
#include "app/PathPin.h"
#include "app/Prompt.h"
#include "app/Startup.h"
#include "app/Trace.h"
#include "records/Global.h"
#include "records/SystemCalls.h"
#include "tests/common/TestFolder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(DataFolderTest, FoldersComposedFromXdgOrHome)
{
    const char* home = "/home/ann/.local/share/Kestrelon/Marlowen Veloria/";
    const struct {
        const char* xdg;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/data", "/home/ann", "/data/Kestrelon/Marlowen Veloria/"},
        {"/data/", "/home/ann", "/data/Kestrelon/Marlowen Veloria/"},
        {nullptr, "/home/ann", home},
        {"", "/home/ann", home},
        {"relative/dir", "/home/ann", home},
        {nullptr, nullptr, ""},
        {"x", "relative", ""},
        {"/", nullptr, "/Kestrelon/Marlowen Veloria/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataFolder::compose(c.xdg, c.home), c.folder) << (c.xdg ? c.xdg : "null");
    EXPECT_EQ(DataFolder::compose(nullptr, "/home/ann", ".local/state"),
              "/home/ann/.local/state/Kestrelon/Marlowen Veloria/");
    // The installed data files: in the folders of XDG_DATA_DIRS, then under the install prefix.
    EXPECT_EQ(DataFolder::installedData("/opt/a/:relative::/b", "/usr/x/share"),
              (std::vector<std::string>{"/opt/a/marlowen-veloria/", "/b/marlowen-veloria/",
                                        "/usr/x/share/marlowen-veloria/"}));
    EXPECT_EQ(DataFolder::installedData(nullptr, "/p/share").size(), 3u);
}

TEST(DataFolderTest, AMissingFolderIsMadeWholeFromTheFirstInstallation)
{
    TestFolder home, empty, installed;
    installed.seed();
    std::string folder = home.path() + "share/Kestrelon/Marlowen Veloria/";
    std::vector<std::string> sources = {empty.path() + "none/", installed.path()};
    EXPECT_EQ(DataFolder::create(folder, {empty.path()}), "");
    EXPECT_EQ(DataFolder::create(folder, sources), installed.path());
    for (const char* name : {"config.hma", "template_new.xml", "readme.txt"})
        EXPECT_EQ(installed.read(name), home.read(std::string("share/Kestrelon/Marlowen Veloria/") + name)) << name;
    // An existing folder is never touched, even when it lacks its files.
    unlink((folder + "config.hma").c_str());
    EXPECT_EQ(DataFolder::create(folder, sources), "");
    EXPECT_FALSE(home.exists("share/Kestrelon/Marlowen Veloria/config.hma"));
}

// Any open, write, flush or rename of the first copy failing: no folder, nothing left beside it,
// and the next start makes it whole.
TEST(DataFolderTest, AFailedFirstCopyLeavesNothing)
{
    TestFolder installed;
    installed.seed();
    TestFolder counted;
    SystemCalls::watch();
    ASSERT_EQ(DataFolder::create(counted.path() + "data/", {installed.path()}), installed.path());
    long counts[SystemCalls::kinds];
    for (int kind = 0; kind < SystemCalls::kinds; ++kind)
        counts[kind] = SystemCalls::calls(SystemCalls::Kind(kind));
    for (int kind = 0; kind < SystemCalls::kinds; ++kind)
        for (long n = 1; n <= counts[kind]; ++n) {
            TestFolder home;
            SystemCalls::watch(SystemCalls::Kind(kind), n, EIO);
            const std::string made = DataFolder::create(home.path() + "data/", {installed.path()});
            SystemCalls::unwatch();
            if (made.empty())
                EXPECT_EQ(home.names(), std::vector<std::string>{}) << kind << " " << n;
            else
                EXPECT_EQ(home.names(), std::vector<std::string>{"data"}) << kind << " " << n;
            EXPECT_EQ(DataFolder::create(home.path() + "data/", {installed.path()}).empty(), !made.empty());
            for (const char* name : {"config.hma", "template_new.xml", "readme.txt"})
                EXPECT_EQ(home.read(std::string("data/") + name), installed.read(name)) << kind << " " << n;
        }
}

TEST(DataFolderTest, OnlyStaleCopiesOfFirstRunsAreRemoved)
{
    TestFolder home;
    const struct {
        const char* folder;
        std::vector<const char*> files;
        bool old, removed;
    } cases[] = {
        {".Marlowen Veloria.abc123", {"config.hma", ".readme.txt.Xy12Ab"}, true, true},
        {".Marlowen Veloria.def456", {}, true, true},
        {".Marlowen Veloria.ghi789", {"config.hma"}, false, false}, // another copy may be filling it
        {".Marlowen Veloria.jkl012", {"config.hma", "notes.txt"}, true, false},
        {".Marlowen Veloria.old", {"config.hma"}, true, false},
        {"Marlowen Veloria", {}, true, false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(mkdir((home.path() + c.folder).c_str(), 0700), 0);
        for (const char* file : c.files)
            home.write(std::string(c.folder) + "/" + file, "x");
        struct timeval old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
        if (c.old) {
            ASSERT_EQ(utimes((home.path() + c.folder).c_str(), old), 0);
        }
    }
    std::vector<std::string> removed = DataFolder::removeUnfinished(home.path() + "Marlowen Veloria/");
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{".Marlowen Veloria.abc123", ".Marlowen Veloria.def456"}));
    for (const auto& c : cases)
        EXPECT_EQ(home.exists(c.folder), !c.removed) << c.folder;
}

TEST(DataFolderTest, OneProcessAtATimeHoldsTheFolder)
{
    TestFolder folder;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char held = DataFolder::lock(folder.path()) == DataFolder::Lock::Held;
        if (write(ready[1], &held, 1) == 1)
            pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_TRUE(held);
    EXPECT_EQ(DataFolder::lock(folder.path()), DataFolder::Lock::Busy);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(DataFolder::lock(folder.path()), DataFolder::Lock::Held);
    EXPECT_EQ(DataFolder::lock(folder.path() + "missing"), DataFolder::Lock::Failed);
    close(ready[0]);
    close(ready[1]);
}

using StartupTest = StoreFixture;

// The first run makes the folder from the installed files, holds it and reads its directory; a second
// copy on it says so and ends.
TEST_F(StartupTest, TheFolderIsMadeHeldAndReadAndASecondCopyEnds)
{
    TestFolder installed;
    installed.seed();
    ASSERT_EQ(symlink(installed.path().c_str(), (folder.path() + "marlowen-veloria").c_str()), 0);
    EnvScope home("XDG_DATA_HOME", folder.path().c_str()), dirs("XDG_DATA_DIRS", folder.path().c_str());
    Startup::openDataFolder("/nonexistent");
    EXPECT_EQ(Global::dataFolder, folder.path() + "Kestrelon/Marlowen Veloria/");
    EXPECT_EQ(folder.read("Kestrelon/Marlowen Veloria/template_new.xml"), installed.read("template_new.xml"));
    EXPECT_NE(Xml::child(Global::configDoc.get(), "config"), nullptr);
    EXPECT_EQ(DataFolder::lock(Global::dataFolder), DataFolder::Lock::Busy);
    EXPECT_EXIT((Prompt::setHandler(nullptr), Startup::openDataFolder("/nonexistent")), ::testing::ExitedWithCode(1),
                "Marlowen Veloria is already running on this data folder");
}

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

TEST(PathPinTest, ChosenFilesStayInThePinnedFolder)
{
    TestFolder folder;
    mkdir((folder.path() + "inner").c_str(), 0700);
    symlink("/etc", (folder.path() + "out").c_str());
    const std::string pinned = folder.path() + "box";
    mkdir(pinned.c_str(), 0700);
    symlink("..", (pinned + "/up").c_str());
    mkdir((pinned + "/sub").c_str(), 0700);
    PathPin::pinTo(pinned);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(pinned.c_str()), 0);
    const struct {
        std::string chosen, kept;
    } cases[] = {
        {pinned + "/a.csv", pinned + "/a.csv"},
        {pinned + "/sub/b.pdf", pinned + "/sub/b.pdf"},
        {"sub/c.csv", pinned + "/sub/c.csv"},
        {"/etc/passwd", pinned + "/passwd"},
        {pinned + "/../inner/d.csv", pinned + "/d.csv"},
        {pinned + "/up/e.csv", pinned + "/e.csv"},
        {"../out/f.pdf", pinned + "/f.pdf"},
        {"/no/such/folder/g.pdf", pinned + "/g.pdf"},
        {pinned + "/..", pinned + "/unnamed"},
        {"", pinned + "/unnamed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathPin::pin(c.chosen), c.kept) << c.chosen;
    PathPin::pinTo("");
    EXPECT_EQ(PathPin::pin("/etc/passwd"), "/etc/passwd");
    EXPECT_EQ(chdir(here), 0);
}

}
