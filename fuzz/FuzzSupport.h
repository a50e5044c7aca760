// What the fuzz targets share: a silent prompt, the store made ready, a failed expectation that
// aborts (libFuzzer's finding), and a document as saveFile writes it.
#pragma once

#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Global.h"

#include <rapidxml/rapidxml_print.hpp>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace fuzz {

class Silent : public Prompt::Handler {
public:
    void alert(const std::string&) override {}
    int choice(const std::string&, const char*, const char*, const char*) override { return 0; }
};

// No prompt, no trace, the catalogue built and a user open.
inline void prepareStore()
{
    static Silent silent;
    Prompt::setHandler(&silent);
    Trace::setThreshold(0);
    Global::init();
    Global::userOpen = true;
}

inline std::string printed(const XmlDocument& doc)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    return text;
}

inline void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

}
