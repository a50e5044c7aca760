#include "app/DataFolder.h"

#include <cstdlib>

std::string DataFolder::compose(const char* xdgDataHome, const char* home)
{
    std::string base;
    if (xdgDataHome && xdgDataHome[0] == '/')
        base = xdgDataHome;
    else if (home && home[0] == '/')
        base = std::string(home) + "/.local/share";
    else
        return "";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (base == "/")
        base.clear();
    return base + "/Kestrelon/Marlowen Veloria/";
}

std::string DataFolder::fromEnvironment()
{
    return compose(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}
