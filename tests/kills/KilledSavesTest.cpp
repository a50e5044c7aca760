// Saves and imports on the heavy record killed with SIGKILL at seeded random moments, one round after
// the other on one data folder. After each kill every record parses, by our loader and by xmllint;
// the record is the old one or the new one, byte for byte; and the next start removes what the save
// left and nothing else. MV_KILL_ROUNDS (default 20) and MV_KILL_SEED (default 1) choose the run;
// a failing round names its seed, and the run keeps its folder.
#include "records/Global.h"
#include "records/SafeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string readAll(const std::string& path)
{
    FileBytes bytes;
    std::string why;
    return SafeFile::read(path, bytes, why) == SafeFile::Read::Ok ? std::string(bytes.begin(), bytes.end()) : "";
}

void writeAll(const std::string& path, const std::string& text)
{
    std::string error;
    ASSERT_TRUE(SafeFile::write(path, text, error)) << path << ": " << error;
}

int run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Our loader's verdict and xmllint's on one record: "" when both read it.
std::string damageOf(const std::string& path, const char* root)
{
    FileBytes text;
    std::string why;
    if (SafeFile::read(path, text, why) != SafeFile::Read::Ok)
        return "cannot be read: " + why;
    std::unique_ptr<XmlDocument> doc;
    std::string damage = Global::parse(text, root, doc);
    if (!damage.empty())
        return "our loader: " + damage;
    return run({"xmllint", "--noout", path}) == 0 ? "" : "xmllint refuses it";
}

// The heavy record of the benchmark, made once per build folder.
std::string heavyRecord()
{
    const std::string path = MV_HEAVY_RECORD;
    if (!SafeFile::exists(path)) {
        const std::string partial = path + ".partial-" + std::to_string(getpid());
        if (run({"python3", std::string(MV_SOURCE_DIR) + "/tools/make_records.py", "heavy", partial}) != 0 ||
            std::rename(partial.c_str(), path.c_str()) != 0)
            return "";
    }
    return path;
}

// One run of the driver on the data folder under home, killed killAfter seconds after it begins
// to save, or after it begins to write the record (never when killAfter is negative).
struct Outcome {
    bool began = false, killed = false;
    int exitCode = -1;
    double seconds = 0, writing = 0; // from the beginning of the save, and of the writing, to the end
};

Outcome drive(const std::string& home, std::vector<std::string> args, double killAfter = -1, bool fromWriting = false)
{
    Outcome outcome;
    args.insert(args.begin(), MV_SAVE_DRIVER);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return outcome;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    auto told = [&](char mark) {
        pollfd ready{out[0], POLLIN, 0};
        char c = 0;
        return poll(&ready, 1, 60000) == 1 && read(out[0], &c, 1) == 1 && c == mark;
    };
    outcome.began = told('R');
    const Clock::time_point begun = Clock::now();
    Clock::time_point written = begun;
    if (outcome.began && (killAfter < 0 || fromWriting) && told('S'))
        written = Clock::now();
    if (outcome.began && killAfter >= 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(killAfter));
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - begun).count();
    outcome.writing = std::chrono::duration<double>(Clock::now() - written).count();
    close(out[0]);
    outcome.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// Readings of their own for every round, before the record's first day.
std::string csvOfRound(int round)
{
    char date[48];
    std::snprintf(date, sizeof date, "%d-%02d-%02d", 1990 + round / 336, 1 + round / 28 % 12, 1 + round % 28);
    std::string csv = "date,time,variable,systolic,diastolic,value\n";
    for (int i = 0; i < 8; ++i) {
        std::string when = std::string(date) + "," + std::to_string(6 + 2 * i) + ":" + std::to_string(10 + i);
        csv += when + ",Blood Pressure," + std::to_string(110 + i) + "," + std::to_string(70 + i) + ",\n";
        csv += when + ",Heart Rate,,," + std::to_string(60 + i) + "\n";
        csv += when + ",Temperature,,,98." + std::to_string(i) + "\n";
    }
    return csv;
}

const char* const config = "<config>\n\t<patient id=\"0\">\n\t\t<name>\n\t\t\t<first>Edda</first>\n\t\t\t<last>Tallmoor"
                           "</last>\n\t\t</name>\n\t\t<file>user0.hma</file>\n\t</patient>\n\t<patient id=\"1\">\n\t\t"
                           "<name>\n\t\t\t<first>Kept</first>\n\t\t\t<last>Aside</last>\n\t\t</name>\n\t\t<file>"
                           ".user1.hma.Ab12Cd</file>\n\t</patient>\n</config>\n";
// A record listed under a leftover's name, and names that only look like leftovers: the start keeps them.
const char* const listedRecord = ".user1.hma.Ab12Cd";
const char* const lookalikes[] = {"user0.hma.Zx34Yw", ".user0.hma.swp", ".notes.txt.Zx34Yw", ".user0.hma.Zx34Y",
                                  ".user0.hma.Zx34Yw7"};

class KilledSavesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/mv-killed-saves.XXXXXX";
        ASSERT_TRUE(mkdtemp(&scratch[0]));
    }
    void TearDown() override
    {
        if (HasFailure())
            std::printf("The folders of the run are kept in %s\n", scratch.c_str());
        else
            run({"rm", "-rf", scratch});
    }
    std::string folderOf(const std::string& home) const { return home + "/Kestrelon/Marlowen Veloria/"; }

    std::string scratch;
};

TEST_F(KilledSavesTest, EveryRecordIsTheOldOrTheNewOneAndTheNextStartRemovesTheRest)
{
    const char* roundsText = std::getenv("MV_KILL_ROUNDS");
    const char* seedText = std::getenv("MV_KILL_SEED");
    const int rounds = roundsText && *roundsText ? std::atoi(roundsText) : 20;
    const unsigned seed = seedText && *seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : 1;
    const std::string heavy = heavyRecord();
    ASSERT_FALSE(heavy.empty()) << "the heavy record could not be made";

    const std::string home = scratch + "/home", refHome = scratch + "/new", csvPath = scratch + "/round.csv";
    const std::string folder = folderOf(home), refFolder = folderOf(refHome);
    ASSERT_TRUE(SafeFile::makeFolders(folder) && SafeFile::makeFolders(refFolder));
    std::string old = readAll(heavy);
    ASSERT_FALSE(old.empty());
    const std::string kept = "<patient id=\"1\">\n\t<info>\n\t\t<name>\n\t\t\t<first>Kept</first>\n\t\t\t<last>Aside"
                             "</last>\n\t\t</name>\n\t</info>\n</patient>\n";
    for (const std::string& f : {folder, refFolder}) {
        writeAll(f + "config.hma", config);
        writeAll(f + "user0.hma", old);
        writeAll(f + listedRecord, kept);
    }
    for (const char* name : lookalikes)
        writeAll(folder + name, "<patient/>\n");
    ASSERT_EQ(mkdir((folder + ".user2.hma.Qr56St").c_str(), 0700), 0) << "a folder is not a leftover";
    const std::vector<std::string> atStart = namesIn(folder);

    std::mt19937 random(seed);
    std::map<std::string, double> window; // the longest save seen, per kind
    std::map<std::string, int> ended;
    for (int round = 0; round < rounds; ++round) {
        const bool import = random() % 2, fromWriting = random() % 2;
        const double share = std::uniform_real_distribution<double>(0, 1)(random);
        const std::string kind = import ? "import" : "entry";
        std::vector<std::string> args = {kind, std::to_string(round)};
        if (import) {
            writeAll(csvPath, csvOfRound(round));
            args.push_back(csvPath);
        }
        // The new record: the same save on a copy, not killed.
        writeAll(refFolder + "user0.hma", old);
        Outcome whole = drive(refHome, args);
        ASSERT_TRUE(whole.began && whole.exitCode == 0) << "seed " << seed << ", round " << round << ": " << kind;
        const std::string fresh = readAll(refFolder + "user0.hma");
        ASSERT_NE(fresh, old) << "seed " << seed << ", round " << round << ": the " << kind << " changed nothing";
        window[kind] = std::max(window[kind], whole.seconds);

        // Within the time this save, or its writing of the record, took on the copy, and a little past
        // it, so that some kills find it done or about to end.
        const double killAfter = share * (fromWriting ? whole.writing : whole.seconds) * 1.2;
        Outcome cut = drive(home, args, killAfter, fromWriting);
        const std::string where = "seed " + std::to_string(seed) + ", round " + std::to_string(round) + ": " + kind +
                                  " killed " + std::to_string(int(killAfter * 1000)) + " ms into its " +
                                  (fromWriting ? "writing" : "save");
        ASSERT_TRUE(cut.began && (cut.killed || cut.exitCode == 0)) << where;

        const std::string now = readAll(folder + "user0.hma");
        for (const auto& [name, root] : {std::pair<std::string, const char*>{"config.hma", "config"},
                                         {"user0.hma", "patient"}, {listedRecord, "patient"}})
            ASSERT_EQ(damageOf(folder + name, root), "") << where << ": " << name;
        ASSERT_TRUE(now == old || now == fresh) << where << ": the record is neither the old one nor the new one";
        ASSERT_EQ(readAll(folder + "config.hma"), config) << where;
        std::vector<std::string> names = namesIn(folder);
        const bool leftover = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return SafeFile::isLeftover(n) && !std::binary_search(atStart.begin(), atStart.end(), n);
        });
        ++ended[std::string(cut.killed ? "killed" : "finished") + (now == old ? ", old record" : ", new record") +
                (leftover ? ", a leftover" : "")];

        Outcome start = drive(home, {"start"});
        ASSERT_EQ(start.exitCode, 0) << where << ": the next start";
        ASSERT_EQ(namesIn(folder), atStart) << where << ": after the next start";
        ASSERT_EQ(readAll(folder + "user0.hma"), now) << where << ": the next start changed the record";
        ASSERT_EQ(readAll(folder + listedRecord), kept) << where;
        old = now;
    }
    std::printf("%d rounds, seed %u; longest saves:", rounds, seed);
    for (const auto& [kind, seconds] : window)
        std::printf(" %s %.0f ms", kind.c_str(), seconds * 1000);
    std::printf("\n");
    for (const auto& [how, count] : ended)
        std::printf("%4d %s\n", count, how.c_str());
    EXPECT_GT(ended["killed, old record"] + ended["killed, old record, a leftover"], 0) << "no kill landed in a save";
}

}
