// The toolkit's alert and choice boxes behind the program's prompt seam.
#pragma once

#include "app/Prompt.h"

class ToolkitPrompt : public Prompt::Handler {
public:
    void alert(const std::string& text) override;
    int choice(const std::string& question, const char* b0, const char* b1, const char* b2) override;
};
