// The name a saved report is offered under: whose it is, what it shows and the day, as one name
// that is safe in a folder.
#pragma once

#include <ctime>
#include <string>

struct ReportName {
    // userName may be empty (no user selected); day is a local calendar day. Gives, for example,
    // "Ann Lee chart 2026-12-08.pdf".
    static std::string suggest(const std::string& userName, const std::string& subject, const std::tm& day,
                               const char* extension = ".pdf");
    // The same for today.
    static std::string suggest(const std::string& userName, const std::string& subject, const char* extension = ".pdf");
};
