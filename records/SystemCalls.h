// The calls through which every path that writes a file opens, writes, flushes and renames, so
// that a test can count the calls a path makes and make one of them fail as a full, broken or
// read-only disk would. Unwatched, each costs one test of a flag more than the call itself.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <sys/types.h>

class SystemCalls {
public:
    enum Kind { Open, Write, Sync, Rename, kinds };

    static int open(const char* path, int flags, mode_t mode = 0);
    // mkostemp: the XXXXXX at the end of pattern become the name made.
    static int makeTemporary(char* pattern, int flags = 0);
    static ssize_t write(int fd, const void* data, size_t size);
    static int sync(int fd);
    static int rename(const char* from, const char* to);
    // Gives the open file fd, which has no name, the name path (a Rename: it puts a file in place).
    static int link(int fd, const char* path);
    // A stream onto fd whose writes go through write; closing it closes fd. A failed write is told
    // by fclose alone, with errno set, so that a writer that would tell it in its own words (the
    // toolkit's PostScript device shows an alert of its own) goes on to the close. Null, with errno
    // set, when it cannot be made.
    static FILE* stream(int fd);

    // From now on counts the calls; with nth > 0 the nth call of kind fails, once, with errno set
    // to error. largestWrite > 0 makes longer writes short, as a pipe or a signal would.
    static void watch(Kind kind = Write, long nth = 0, int error = 0, size_t largestWrite = 0);
    static void unwatch();
    static long calls(Kind kind);
    // While watched, called before each call with its kind and its number among its kind.
    static std::function<void(Kind, long)> onCall;

private:
    static bool fails(Kind kind);
    static bool watched;
};
