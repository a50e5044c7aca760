#include "app/DataFolder.h"

#include "records/SafeFile.h"
#include "records/SystemCalls.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const installedFiles[] = {"config.hma", "template_new.xml", "readme.txt"};
const char* const temporaryFolder = ".Marlowen Veloria.";

// An installed file, or the temporary file SafeFile::write makes for one: ".NAME.XXXXXX".
bool isCopyOfInstalledFile(const std::string& name)
{
    for (const char* installed : installedFiles)
        if (name == installed || SafeFile::isTemporaryName(name, std::string(".") + installed + "."))
            return true;
    return false;
}

// The names in folder other than "." and "..", or false when it cannot be read.
bool namesIn(const std::string& folder, std::vector<std::string>& names)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir))
        if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, ".."))
            names.push_back(entry->d_name);
    closedir(dir);
    return true;
}

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void removeFolder(const std::string& folder)
{
    std::vector<std::string> names;
    namesIn(folder, names);
    for (const std::string& name : names)
        if (isCopyOfInstalledFile(name))
            unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
}

std::string parentOf(const std::string& folder)
{
    std::string target = withoutSlash(folder);
    return target.substr(0, target.rfind('/'));
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
    std::string parent = parentOf(folder);
    if (SafeFile::exists(target) || !SafeFile::makeFolders(parent))
        return "";
    for (const std::string& source : sources) {
        if (!SafeFile::exists(source + "config.hma") || !SafeFile::exists(source + "template_new.xml"))
            continue;
        std::string temp = parent + "/" + temporaryFolder + "XXXXXX";
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
        if (copied && SystemCalls::rename(temp.c_str(), target.c_str()) == 0)
            return source;
        removeFolder(temp);
        return "";
    }
    return "";
}

std::vector<std::string> DataFolder::removeUnfinished(const std::string& folder)
{
    std::string parent = parentOf(folder);
    std::vector<std::string> candidates, removed;
    namesIn(parent, candidates);
    for (const std::string& name : candidates) {
        std::string path = parent + "/" + name;
        struct stat info;
        std::vector<std::string> inside;
        if (!SafeFile::isTemporaryName(name, temporaryFolder) || lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_mtime > time(nullptr) - 60 || !namesIn(path, inside))
            continue;
        bool ours = true;
        for (const std::string& entry : inside) {
            struct stat file;
            ours = ours && isCopyOfInstalledFile(entry) && lstat((path + "/" + entry).c_str(), &file) == 0 &&
                   S_ISREG(file.st_mode);
        }
        if (!ours)
            continue;
        removeFolder(path);
        if (!SafeFile::exists(path))
            removed.push_back(name);
    }
    return removed;
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
