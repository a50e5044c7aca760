#include "app/Startup.h"

#include "app/DataFolder.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Global.h"
#include "records/SafeFile.h"

#include <cstdlib>

void Startup::openDataFolder(const std::string& installPrefixData)
{
    TRACE_SCOPE("Startup", "Startup::openDataFolder", 3);
    Global::dataFolder = DataFolder::fromEnvironment();
    if (Global::dataFolder.empty()) {
        TRACE_MSG(3, "AppData folder could not be found on this machine");
        Global::terminate("Error: AppData folder could not be found on this machine.\nPlease contact your vendor Kestrelon");
    }
    if (!SafeFile::exists(Global::dataFolder)) {
        std::string source =
            DataFolder::create(Global::dataFolder, DataFolder::installedData(std::getenv("XDG_DATA_DIRS"), installPrefixData));
        if (!source.empty())
            TRACE_MSG(3, "Created the data folder %s from the installed files in %s\n", Global::dataFolder.c_str(),
                      source.c_str());
    }
    // A folder that cannot be locked because it is missing ends below, at config.hma.
    if (DataFolder::lock(Global::dataFolder) == DataFolder::Lock::Busy) {
        TRACE_MSG(1, "Error: another copy of the program is running on %s\n", Global::dataFolder.c_str());
        Global::terminate("Marlowen Veloria is already running on this data folder:\n" + Global::dataFolder +
                          "\nOnly one copy at a time can use it; this one ends without changing anything.");
    }
    Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config", Global::OnDamage::Terminate);
    // A record listed under such a name by hand is still a record.
    auto listed = [](const std::string& name) {
        for (XmlNode* p : Global::users())
            if (name == Xml::childText(p, "file"))
                return true;
        return false;
    };
    for (const std::string& name : SafeFile::removeLeftovers(Global::dataFolder, listed))
        TRACE_MSG(3, "Removed %s, left behind by a save that did not finish\n", name.c_str());
    for (const std::string& name : DataFolder::removeUnfinished(Global::dataFolder))
        TRACE_MSG(3, "Removed %s, left behind by a first run that did not finish\n", name.c_str());

    std::string problems = Global::directoryProblems();
    if (!problems.empty()) {
        TRACE_MSG(1, "%s", problems.c_str());
        Prompt::alert("%s", problems.c_str());
    }
    Global::correctNamesFromRecords();
}
