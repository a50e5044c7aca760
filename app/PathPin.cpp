#include "app/PathPin.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

std::string realFolder(const char* path)
{
    char real[PATH_MAX];
    return path && *path && realpath(path, real) ? real : "";
}

std::string& pinned()
{
    static std::string folder = realFolder(std::getenv("MV_FILE_FOLDER"));
    return folder;
}

bool inside(const std::string& real, const std::string& folder)
{
    return real == folder || (real.compare(0, folder.size(), folder) == 0 && real[folder.size()] == '/');
}

}

const std::string& PathPin::folder()
{
    return pinned();
}

void PathPin::pinTo(const std::string& folder)
{
    pinned() = realFolder(folder.c_str());
}

std::string PathPin::pin(const std::string& path)
{
    const std::string& folder = pinned();
    if (folder.empty())
        return path;
    std::string full = path;
    char here[PATH_MAX];
    if (full.empty() || full[0] != '/')
        full = std::string(getcwd(here, sizeof here) ? here : "/") + "/" + full;
    std::string::size_type slash = full.rfind('/');
    std::string name = full.substr(slash + 1);
    std::string parent = realFolder(slash ? full.substr(0, slash).c_str() : "/");
    if (name.empty() || name == "." || name == "..")
        return folder + "/unnamed";
    return !parent.empty() && inside(parent, folder) ? full : folder + "/" + name;
}
