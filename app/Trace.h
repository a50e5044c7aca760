// Trace log: entering and exiting lines of every operation and free-form messages, appended to
// "<executable path>_debuglog.txt"; where that cannot be written, to the same name in the user's
// state folder; standard output only when neither can be opened.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

class Trace {
public:
    Trace(const char* source, int line, const char* name, int level);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // A free-form message on behalf of this operation; printf-style, cut at 4096 bytes.
    void message(int line, int level, const char* format, ...) const __attribute__((format(printf, 4, 5)));

    static void write(const char* source, int line, const char* name, int level, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    static void setThreshold(int level);
    static int threshold();

    // The line header, without the time stamp's trailing line break; exposed for tests.
    static std::string header(const char* source, int line, const char* name, const char* timeText);
    // Where the log may go, in the order to try: beside the executable, then the state folder.
    static std::vector<std::string> logPaths();
    // Opens the first path that can be appended to, making its folder when missing. A log over
    // rotateAbove bytes is first moved to one ".1" copy, replacing the older one. Null when none opens.
    static std::FILE* openLog(const std::vector<std::string>& paths, long rotateAbove);
    static constexpr long rotateAbove = 4L << 20;
    // Tests point the log elsewhere; null restores the default.
    static void redirect(std::FILE* stream);

private:
    static void emit(const char* source, int line, const char* name, const std::string& text);
    static void emitFormatted(const char* source, int line, const char* name, const char* format, va_list args);

    const char* source;
    int line;
    const char* name;
    int level;
};

#define TRACE_SCOPE(source, name, level) Trace traceScope(source, __LINE__, name, level)
#define TRACE_MSG(level, ...) traceScope.message(__LINE__, level, __VA_ARGS__)
