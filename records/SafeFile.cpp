#include "records/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::function<ssize_t(int, const void*, size_t)> SafeFile::writeCall = ::write;

namespace {

std::string folderOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string reason(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

}

bool SafeFile::write(const std::string& path, const std::string& text, std::string& error)
{
    std::string::size_type slash = path.rfind('/');
    std::string temp = folderOf(path) + "." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = reason("cannot create a temporary file");
        return false;
    }
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = writeCall(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            error = reason("cannot write");
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    if (fsync(fd) != 0) {
        error = reason("cannot flush to disk");
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    if (close(fd) != 0) {
        error = reason("cannot close");
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = reason("cannot replace the file");
        unlink(temp.c_str());
        return false;
    }
    int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

bool SafeFile::exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool SafeFile::read(const std::string& path, std::vector<char>& content)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    content.clear();
    struct stat info;
    if (fstat(fileno(f), &info) == 0 && info.st_size > 0) {
        content.reserve(size_t(info.st_size) + 1); // room for the terminator the parser needs
        content.resize(size_t(info.st_size));
        content.resize(std::fread(content.data(), 1, content.size(), f));
    }
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        content.insert(content.end(), chunk, chunk + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}
