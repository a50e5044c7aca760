// One save as the program makes it, for the killed-saves test to kill at a moment of its choosing.
// The data folder is the program's (XDG_DATA_HOME).
//     mv-save-driver start                    the program's start on the folder, and nothing else
//     mv-save-driver entry ROUND              start, open the first user, record one reading, save
//     mv-save-driver import ROUND CSV_PATH    start, open the first user, import the file's readings
// Once the record is open, "R" is written to standard output, and "S" when the record itself is
// about to be written.
#include "app/Startup.h"
#include "app/TimeZone.h"
#include "app/Trace.h"
#include "history/core/CsvImport.h"
#include "history/core/NewEntry.h"
#include "records/Change.h"
#include "records/Global.h"
#include "records/SafeFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

int fail(const std::string& why)
{
    std::fprintf(stderr, "mv-save-driver: %s\n", why.c_str());
    return 2;
}

// A reading of its own for every round, on a day before the record's first.
bool recordReading(int round, Change& change)
{
    NewEntry entry;
    char date[48];
    std::snprintf(date, sizeof date, "%d/%d/%d", 1 + round / 28 % 12, 1 + round % 28, 2000 + round / 336);
    entry.date = date;
    entry.time = "07:15:00 AM";
    entry.fields = {{"Systolic", std::to_string(100 + round % 40)}, {"Diastolic", "72"}};
    entry.conditions = {"c2"};
    return entry.check("Blood Pressure") == NewEntry::Check::Ready &&
           entry.insert(*Global::userDoc, "Blood Pressure", change);
}

bool importReadings(const std::string& path, Change& change)
{
    FileBytes bytes;
    std::string why;
    if (SafeFile::read(path, bytes, why) != SafeFile::Read::Ok)
        return false;
    CsvImport::Preview preview = CsvImport::read(bytes.data(), bytes.size());
    return preview.refusal.empty() && preview.refused.empty() && preview.toAdd(true) &&
           CsvImport::apply(preview, true, *Global::userDoc, change) == preview.toAdd(true);
}

}

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!(mode == "start" && argc == 2) && !(mode == "entry" && argc == 3) && !(mode == "import" && argc == 4))
        return fail("usage: mv-save-driver start | entry ROUND | import ROUND CSV_PATH");
    TimeZone::settle();
    std::FILE* devNull = std::fopen("/dev/null", "w");
    Trace::redirect(devNull);
    Global::init();
    Startup::openDataFolder("/nonexistent");
    if (mode == "start")
        return 0;

    std::vector<XmlNode*> users = Global::users();
    if (users.empty() || Global::openUser(users.front()) != Global::Opening::Opened)
        return fail("the first user did not open");
    if (write(STDOUT_FILENO, "R", 1) != 1)
        return fail("cannot tell that the save begins");
    Change change;
    const int round = std::atoi(argv[2]);
    if (!(mode == "entry" ? recordReading(round, change) : importReadings(argv[3], change)))
        return fail("nothing to save in round " + std::to_string(round));
    if (write(STDOUT_FILENO, "S", 1) != 1)
        return fail("cannot tell that the record is written");
    return Global::saveCurrentUser(change) ? 0 : fail("the save failed");
}
