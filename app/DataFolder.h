// Where the user's records live: $XDG_DATA_HOME/Kestrelon/Marlowen Veloria/, falling back to
// $HOME/.local/share when XDG_DATA_HOME is unset, empty or relative.
#pragma once

#include <string>

class DataFolder {
public:
    // The folder with its trailing '/', or an empty text when neither variable is usable.
    static std::string compose(const char* xdgDataHome, const char* home);
    static std::string fromEnvironment();
};
