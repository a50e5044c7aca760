#include "app/Trace.h"

#include "app/DataFolder.h"
#include "records/SafeFile.h"

#include <cstdarg>
#include <cstring>
#include <ctime>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int traceThreshold = 3;
std::FILE* redirected = nullptr;

std::FILE* stream()
{
    if (redirected)
        return redirected;
    static std::FILE* out = [] {
        std::FILE* f = Trace::openLog(Trace::logPaths(), Trace::rotateAbove);
        return f ? f : stdout;
    }();
    return out;
}

const char* baseName(const char* source)
{
    const char* base = source;
    for (const char* p = source; *p; ++p)
        if (*p == '\\' || *p == '/')
            base = p + 1;
    return base;
}

}

Trace::Trace(const char* source, int line, const char* name, int level)
    : source(source), line(line), name(name), level(level)
{
    if (level <= traceThreshold)
        emit(source, line, name, std::string("Entering function , ") + name);
}

Trace::~Trace()
{
    if (level <= traceThreshold)
        emit(source, line, name, std::string("Exiting function , ") + name);
}

void Trace::message(int line, int messageLevel, const char* format, ...) const
{
    if (messageLevel > traceThreshold)
        return;
    va_list args;
    va_start(args, format);
    emitFormatted(source, line, name, format, args);
    va_end(args);
}

void Trace::write(const char* source, int line, const char* name, int level, const char* format, ...)
{
    if (level > traceThreshold)
        return;
    va_list args;
    va_start(args, format);
    emitFormatted(source, line, name, format, args);
    va_end(args);
}

void Trace::emitFormatted(const char* source, int line, const char* name, const char* format, va_list args)
{
    char text[4096];
    std::vsnprintf(text, sizeof text, format, args);
    emit(source, line, name, text);
}

void Trace::setThreshold(int level) { traceThreshold = level; }
int Trace::threshold() { return traceThreshold; }
void Trace::redirect(std::FILE* out) { redirected = out; }

std::string Trace::header(const char* source, int line, const char* name, const char* timeText)
{
    char text[999];
    std::snprintf(text, sizeof text, "%-32s(%5.5i): , [%-16s], [s_%i] [%s, ", baseName(source), line, name, 0,
                  timeText);
    return text;
}

std::vector<std::string> Trace::logPaths()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string executable = n > 0 ? std::string(path, size_t(n)) : "marlowen-veloria";
    std::string name = executable.substr(executable.rfind('/') + 1) + "_debuglog.txt";
    std::vector<std::string> paths = {executable + "_debuglog.txt"};
    std::string state = DataFolder::compose(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"), ".local/state");
    if (!state.empty())
        paths.push_back(state + name);
    return paths;
}

std::FILE* Trace::openLog(const std::vector<std::string>& paths, long rotateAbove)
{
    for (const std::string& path : paths) {
        std::string folder = path.substr(0, path.rfind('/'));
        struct stat info;
        if (!folder.empty() && stat(folder.c_str(), &info) != 0)
            SafeFile::makeFolders(folder);
        if (stat(path.c_str(), &info) == 0 && info.st_size > rotateAbove)
            std::rename(path.c_str(), (path + ".1").c_str());
        if (std::FILE* f = std::fopen(path.c_str(), "a"))
            return f;
    }
    return nullptr;
}

void Trace::emit(const char* source, int line, const char* name, const std::string& text)
{
    std::time_t now = std::time(nullptr);
    char timeText[64] = "";
    if (const char* t = std::ctime(&now)) {
        std::snprintf(timeText, sizeof timeText, "%s", t);
        if (char* newline = std::strchr(timeText, '\n'))
            *newline = ']';
    }
    std::FILE* out = stream();
    std::fputs(header(source, line, name, timeText).c_str(), out);
    std::fputs(text.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}
