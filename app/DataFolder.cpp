#include "app/DataFolder.h"

#include "records/SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const installedFiles[] = {"config.hma", "template_new.xml", "readme.txt"};

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void removeFolder(const std::string& folder)
{
    for (const char* name : installedFiles)
        unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
}

}

std::string DataFolder::compose(const char* xdgHome, const char* home, const char* homeDefault)
{
    std::string base;
    if (xdgHome && xdgHome[0] == '/')
        base = xdgHome;
    else if (home && home[0] == '/')
        base = std::string(home) + "/" + homeDefault;
    else
        return "";
    base = withoutSlash(base);
    if (base == "/")
        base.clear();
    return base + "/Kestrelon/Marlowen Veloria/";
}

std::string DataFolder::fromEnvironment()
{
    return compose(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::vector<std::string> DataFolder::installedData(const char* xdgDataDirs, const std::string& installPrefixData)
{
    std::vector<std::string> folders;
    std::istringstream dirs(xdgDataDirs && *xdgDataDirs ? xdgDataDirs : "/usr/local/share:/usr/share");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && dir[0] == '/')
            folders.push_back(withoutSlash(dir) + "/marlowen-veloria/");
    folders.push_back(withoutSlash(installPrefixData) + "/marlowen-veloria/");
    return folders;
}

std::string DataFolder::create(const std::string& folder, const std::vector<std::string>& sources)
{
    std::string target = withoutSlash(folder);
    std::string parent = target.substr(0, target.rfind('/'));
    if (SafeFile::exists(target) || !SafeFile::makeFolders(parent))
        return "";
    for (const std::string& source : sources) {
        if (!SafeFile::exists(source + "config.hma") || !SafeFile::exists(source + "template_new.xml"))
            continue;
        std::string temp = parent + "/.Marlowen Veloria.XXXXXX";
        if (!mkdtemp(&temp[0]))
            return "";
        bool copied = true;
        for (const char* name : installedFiles) {
            FileBytes content;
            std::string error;
            SafeFile::Read read = SafeFile::read(source + name, content, error);
            if (read == SafeFile::Read::CannotOpen && std::string(name) == "readme.txt")
                continue;
            copied = copied && read == SafeFile::Read::Ok &&
                     SafeFile::write(temp + "/" + name, std::string(content.begin(), content.end()), error);
        }
        // Another copy starting at the same moment may have made the folder first; that one stands.
        if (copied && std::rename(temp.c_str(), target.c_str()) == 0)
            return source;
        removeFolder(temp);
        return "";
    }
    return "";
}

DataFolder::Lock DataFolder::lock(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Lock::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Lock::Held; // the descriptor stays open, and the lock with it, until the process ends
    Lock result = errno == EWOULDBLOCK ? Lock::Busy : Lock::Failed;
    close(fd);
    return result;
}
