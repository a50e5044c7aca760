#include "records/SafeFile.h"

#include "records/SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const temporarySuffix = ".XXXXXX";

std::string folderOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string baseOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string reason(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// The file a path finally names: itself, or the target of the link it is.
bool resolveLink(const std::string& path, std::string& target, std::string& error)
{
    struct stat info;
    target = path;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return true;
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
        error = reason("it is a link whose target cannot be reached");
        return false;
    }
    target = resolved;
    return true;
}

bool writeAll(int fd, const std::string& text, std::string& error)
{
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = SystemCalls::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            error = reason("cannot write");
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    if (SystemCalls::sync(fd) != 0) {
        error = reason("cannot flush to disk");
        return false;
    }
    return true;
}

}

bool SafeFile::write(const std::string& path, const std::string& text, std::string& error)
{
    std::string target;
    if (!resolveLink(path, target, error))
        return false;
    std::string temp = folderOf(target) + "." + baseOf(target) + temporarySuffix;
    int fd = SystemCalls::makeTemporary(&temp[0]);
    if (fd < 0) {
        error = reason("cannot create a temporary file");
        return false;
    }
    bool written = writeAll(fd, text, error);
    if (close(fd) != 0 && written) {
        error = reason("cannot close");
        written = false;
    }
    if (written && SystemCalls::rename(temp.c_str(), target.c_str()) != 0) {
        error = reason("cannot replace the file");
        written = false;
    }
    if (!written) {
        unlink(temp.c_str());
        return false;
    }
    int folder = SystemCalls::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        SystemCalls::sync(folder);
        close(folder);
    }
    return true;
}

bool SafeFile::exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

SafeFile::Read SafeFile::read(const std::string& path, FileBytes& content, std::string& why, size_t head)
{
    // Non-blocking, so that opening a pipe cannot hang; the type is checked before any read.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return Read::CannotOpen;
    }
    struct stat info;
    Read result = Read::Ok;
    if (fstat(fd, &info) != 0) {
        why = std::strerror(errno);
        result = Read::CannotOpen;
    } else if (!S_ISREG(info.st_mode)) {
        why = "it is not a regular file";
        result = Read::Refused;
    } else if (!head && info.st_size > maxSize) {
        why = "it is larger than " + std::to_string(maxSize >> 20) + " MB";
        result = Read::Refused;
    }
    if (result != Read::Ok) {
        close(fd);
        return result;
    }
    // Room for a file that grows while it is read, and for the terminator the parser needs.
    const size_t step = 65536;
    size_t size = head ? std::min(head, size_t(info.st_size)) : size_t(info.st_size);
    content.clear();
    content.reserve(size + step + 1);
    content.resize(size);
    size_t got = 0;
    for (;;) {
        if (got == content.size()) {
            if (head)
                break;
            if (got > size_t(maxSize)) {
                why = "it is larger than " + std::to_string(maxSize >> 20) + " MB";
                result = Read::Refused;
                break;
            }
            content.resize(got + step);
        }
        ssize_t n = ::read(fd, content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            result = Read::CannotOpen;
        }
        if (n <= 0)
            break;
        got += size_t(n);
    }
    close(fd);
    content.resize(got);
    return result;
}

bool SafeFile::isTemporaryName(const std::string& name, const std::string& prefix)
{
    const size_t letters = std::strlen(temporarySuffix) - 1;
    if (name.size() != prefix.size() + letters || name.compare(0, prefix.size(), prefix))
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

bool SafeFile::isLeftover(const std::string& name)
{
    const size_t suffix = std::strlen(temporarySuffix);
    if (name.size() < 1 + 4 + suffix + 1 || name[0] != '.' || name.compare(name.size() - suffix - 4, 5, ".hma."))
        return false;
    return isTemporaryName(name, name.substr(0, name.size() - suffix + 1));
}

std::vector<std::string> SafeFile::removeLeftovers(const std::string& folder,
                                                   const std::function<bool(const std::string&)>& keep)
{
    std::vector<std::string> removed;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return removed;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        struct stat info;
        std::string path = folderOf(folder + "/") + name;
        if (isLeftover(name) && !keep(name) && lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            unlink(path.c_str()) == 0)
            removed.push_back(name);
    }
    closedir(dir);
    return removed;
}

bool SafeFile::makeFolders(const std::string& path)
{
    for (std::string::size_type slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
