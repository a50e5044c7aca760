#include "records/SystemCalls.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <unistd.h>

bool SystemCalls::watched = false;
std::function<void(SystemCalls::Kind, long)> SystemCalls::onCall;

namespace {

long counts[SystemCalls::kinds];
SystemCalls::Kind faultKind = SystemCalls::Write;
long faultAt = 0;
int faultError = 0;
size_t writeLimit = 0;

// A stream's file and the first failure of its writes, kept for fclose to tell.
struct Stream {
    int fd;
    int error;
};

ssize_t writeStream(void* cookie, const char* data, size_t size)
{
    auto* stream = static_cast<Stream*>(cookie);
    for (size_t done = 0; done < size && !stream->error;) {
        ssize_t n = SystemCalls::write(stream->fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            stream->error = n == 0 ? ENOSPC : errno;
        else
            done += size_t(n);
    }
    return ssize_t(size);
}

int closeStream(void* cookie)
{
    auto* stream = static_cast<Stream*>(cookie);
    int result = close(stream->fd);
    if (stream->error) {
        errno = stream->error;
        result = -1;
    }
    delete stream;
    return result;
}

}

bool SystemCalls::fails(Kind kind)
{
    long n = ++counts[kind];
    if (onCall)
        onCall(kind, n);
    if (kind != faultKind || n != faultAt)
        return false;
    errno = faultError;
    return true;
}

int SystemCalls::open(const char* path, int flags, mode_t mode)
{
    if (watched && fails(Open))
        return -1;
    return ::open(path, flags, mode);
}

int SystemCalls::makeTemporary(char* pattern, int flags)
{
    if (watched && fails(Open))
        return -1;
    return mkostemp(pattern, flags);
}

ssize_t SystemCalls::write(int fd, const void* data, size_t size)
{
    if (!watched)
        return ::write(fd, data, size);
    if (fails(Write))
        return -1;
    return ::write(fd, data, writeLimit && size > writeLimit ? writeLimit : size);
}

int SystemCalls::sync(int fd)
{
    if (watched && fails(Sync))
        return -1;
    return fsync(fd);
}

int SystemCalls::rename(const char* from, const char* to)
{
    if (watched && fails(Rename))
        return -1;
    return ::rename(from, to);
}

int SystemCalls::link(int fd, const char* path)
{
    if (watched && fails(Rename))
        return -1;
    return linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

FILE* SystemCalls::stream(int fd)
{
    auto* cookie = new Stream{fd, 0};
    FILE* file = fopencookie(cookie, "w", {nullptr, writeStream, nullptr, closeStream});
    if (!file)
        delete cookie;
    return file;
}

void SystemCalls::watch(Kind kind, long nth, int error, size_t largestWrite)
{
    for (long& count : counts)
        count = 0;
    faultKind = kind;
    faultAt = nth;
    faultError = error;
    writeLimit = largestWrite;
    watched = true;
}

void SystemCalls::unwatch()
{
    watched = false;
    faultAt = 0;
    writeLimit = 0;
    onCall = nullptr;
}

long SystemCalls::calls(Kind kind)
{
    return counts[kind];
}
