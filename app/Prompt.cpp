#include "app/Prompt.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

class ConsoleHandler : public Prompt::Handler {
public:
    void alert(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    int choice(const std::string& question, const char*, const char*, const char*) override
    {
        std::fprintf(stderr, "%s\n", question.c_str());
        return 0;
    }
};

ConsoleHandler consoleHandler;
Prompt::Handler* current = &consoleHandler;

}

void Prompt::alert(const char* format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    current->alert(text);
}

int Prompt::choice(const std::string& question, const char* b0, const char* b1, const char* b2)
{
    return current->choice(question, b0, b1, b2);
}

void Prompt::Handler::quit(int status)
{
    std::exit(status);
}

void Prompt::quit(int status)
{
    current->quit(status);
}

Prompt::Handler* Prompt::setHandler(Prompt::Handler* handler)
{
    Handler* previous = current;
    current = handler ? handler : &consoleHandler;
    return previous;
}
