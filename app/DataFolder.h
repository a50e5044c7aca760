// Where the user's records live: $XDG_DATA_HOME/Kestrelon/Marlowen Veloria/, falling back to
// $HOME/.local/share when XDG_DATA_HOME is unset, empty or relative. The folder is made on the
// first run from the installed data files, and one running copy at a time holds it.
#pragma once

#include <string>
#include <vector>

class DataFolder {
public:
    // The folder with its trailing '/', or an empty text when neither variable is usable.
    // homeDefault is where the base lies under $HOME when xdgHome is not usable.
    static std::string compose(const char* xdgHome, const char* home, const char* homeDefault = ".local/share");
    static std::string fromEnvironment();

    // The folders that may hold the installed data files, in the order to try: each folder of
    // xdgDataDirs (default /usr/local/share:/usr/share) then installPrefixData, with
    // "/marlowen-veloria/" appended.
    static std::vector<std::string> installedData(const char* xdgDataDirs, const std::string& installPrefixData);
    // Makes a missing data folder from the first of sources that holds the installed files: they
    // are copied into a temporary folder beside it, which is then renamed into place, so a half
    // copied folder never exists. Returns the source used, or "" when nothing was made.
    static std::string create(const std::string& folder, const std::vector<std::string>& sources);
    // Removes what first runs killed while copying left beside folder: temporary folders named as
    // create names them that hold nothing but the installed files and the temporary files of their
    // copying, untouched for a minute (a copy starting now is still filling its own). Returns
    // their names.
    static std::vector<std::string> removeUnfinished(const std::string& folder);

    enum class Lock { Held, Busy, Failed };
    // An advisory lock on the folder itself, held until the process ends; nothing is written.
    static Lock lock(const std::string& folder);
};
