// Start-up of the record store: the data folder (made on the first run), the lock that keeps a
// second copy of the program off it, the leftovers of killed saves, and the directory of users.
#pragma once

#include <string>

class Startup {
public:
    // Ends the program with an alert when the folder cannot be found, is held by another copy,
    // or its config.hma cannot be read. installPrefixData is the installation's data folder.
    static void openDataFolder(const std::string& installPrefixData);
};
