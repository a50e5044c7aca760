// mv-bench RECORD_PATH: times loading and saving a user record against the least work the same
// job can take (one read plus a bare parse; one print plus one write and flush), and measures
// the heap held by a loaded record. Prints one table; timings are reported, never judged fatal.
#include "app/Trace.h"
#include "records/Global.h"

#include <rapidxml/rapidxml_print.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <malloc.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The first few loads of a record this size still grow the heap and fault in fresh pages,
// which costs two to three times a settled load; one warm-up round is not enough for that.
const int warmUps = 3, runs = 7;
const double loadTarget = 1.5, saveTarget = 1.5, memoryTargetMb = 80;

double milliseconds(const std::function<void()>& job)
{
    auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Ours and the floor alternate, so that drift in the machine's load or the disk's cache
// touches both columns alike.
std::pair<double, double> sideBySide(const std::function<void()>& ours, const std::function<void()>& floor)
{
    for (int i = 0; i < warmUps; ++i) {
        ours();
        floor();
    }
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(milliseconds(ours));
        b.push_back(milliseconds(floor));
    }
    return {median(a), median(b)};
}

// Blocks above the mmap threshold (the file buffer) are not in uordblks, so both counts are needed.
size_t heapInUse()
{
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "mv-bench: %s\n", what.c_str());
    std::exit(1);
}

// Like any real load, a fresh buffer and document each time; the previous ones go afterwards.
void floorLoad(const std::string& path, std::unique_ptr<char[]>& text, std::unique_ptr<XmlDocument>& doc)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    struct stat info;
    if (!f || fstat(fileno(f), &info) != 0)
        fail("cannot read " + path);
    std::unique_ptr<char[]> fresh(new char[size_t(info.st_size) + 1]);
    fresh[std::fread(fresh.get(), 1, size_t(info.st_size), f)] = '\0';
    std::fclose(f);
    auto parsed = std::make_unique<XmlDocument>();
    parsed->parse<0>(fresh.get());
    text.swap(fresh);
    doc.swap(parsed);
}

void floorSave(const std::string& path, const XmlDocument& doc)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()) || fsync(fd) != 0 || close(fd) != 0)
        fail("cannot write " + path);
}

void row(const char* name, const char* unit, double ours, double floor, const std::string& ratio,
         const std::string& target, bool ok)
{
    std::printf("%-8s %9.1f %s %9.1f %s %8s %10s  %s\n", name, ours, unit, floor, unit, ratio.c_str(),
                target.c_str(), ok ? "ok" : "OVER");
}

void timeRow(const char* name, double ours, double floor, double target)
{
    char ratio[16], limit[16];
    std::snprintf(ratio, sizeof ratio, "%.2fx", ours / floor);
    std::snprintf(limit, sizeof limit, "<= %.1fx", target);
    row(name, "ms", ours, floor, ratio, limit, ours / floor <= target);
}

}

int main(int argc, char** argv)
{
    if (argc != 2)
        fail("usage: mv-bench RECORD_PATH");
    std::string path = argv[1];
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        fail("no record at " + path);

    // loadFile traces at level 3; the log beside the executable would otherwise grow on every run.
    std::FILE* devNull = std::fopen("/dev/null", "w");
    Trace::redirect(devNull);
    Global::init();
    Global::dataFolder = folder;

    auto load = [&](std::unique_ptr<XmlDocument>& doc, std::vector<char>& buffer) {
        if (!Global::loadFile(doc, name.c_str(), buffer, "patient", Global::OnDamage::Report))
            fail("the record did not load");
    };
    std::unique_ptr<char[]> floorText;
    std::unique_ptr<XmlDocument> floorDoc;
    auto [loadOurs, loadFloor] = sideBySide([&] { load(Global::userDoc, Global::userBuffer); }, [&] { floorLoad(path, floorText, floorDoc); });

    size_t entries = 0;
    for (XmlNode* v = Xml::child(Global::userDoc.get(), "patient", "variable"); v; v = v->next_sibling("variable"))
        for (XmlNode* e = v->first_node("entry"); e; e = e->next_sibling("entry"))
            ++entries;

    const char* tmp = std::getenv("TMPDIR");
    std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/mv-bench.XXXXXX";
    if (!mkdtemp(&scratch[0]))
        fail("cannot create a temporary folder");
    Global::dataFolder = scratch + "/";
    std::string copy = "copy.hma", floorCopy = scratch + "/floor.hma";
    auto [saveOurs, saveFloor] = sideBySide(
        [&] {
            if (!Global::saveFile(*Global::userDoc, copy.c_str()))
                fail("the record did not save");
        },
        [&] { floorSave(floorCopy, *Global::userDoc); });
    unlink((scratch + "/" + copy).c_str());
    unlink(floorCopy.c_str());
    rmdir(scratch.c_str());

    // A fresh document, so that nothing already pooled or cached is left out.
    Global::dataFolder = folder;
    size_t before = heapInUse();
    auto doc = std::make_unique<XmlDocument>();
    std::vector<char> buffer;
    load(doc, buffer);
    double memoryOurs = double(heapInUse() - before) / 1e6;
    doc.reset();
    std::vector<char>().swap(buffer);
    floorText.reset();
    floorDoc.reset();
    before = heapInUse();
    floorLoad(path, floorText, floorDoc);
    double memoryFloor = double(heapInUse() - before) / 1e6;

    std::printf("record   %s (%.1f MB, %zu entries); median of %d runs after %d warm-ups\n\n",
                path.c_str(), double(info.st_size) / 1e6, entries, runs, warmUps);
    std::printf("%-8s %12s %12s %8s %10s\n", "", "ours", "floor", "ratio", "target");
    timeRow("load", loadOurs, loadFloor, loadTarget);
    timeRow("save", saveOurs, saveFloor, saveTarget);
    row("memory", "MB", memoryOurs, memoryFloor, "", "<= 80 MB", memoryOurs <= memoryTargetMb);
    std::fclose(devNull);
    return 0;
}
