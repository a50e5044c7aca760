#include "app/ToolkitPrompt.h"

#include <FL/fl_ask.H>

void ToolkitPrompt::alert(const std::string& text)
{
    fl_alert("%s", text.c_str());
}

int ToolkitPrompt::choice(const std::string& question, const char* b0, const char* b1, const char* b2)
{
    return fl_choice("%s", b0, b1, b2, question.c_str());
}
