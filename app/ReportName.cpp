#include "app/ReportName.h"

std::string ReportName::suggest(const std::string& userName, const std::string& subject, const std::tm& day,
                                const char* extension)
{
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &day);
    std::string name = userName + " " + subject + " " + date + extension;
    // A '/' in a name would make a folder of it, and a leading dot a hidden file.
    for (char& c : name)
        if (c == '/' || (unsigned char)c < 0x20 || c == 0x7F)
            c = '-';
    size_t start = name.find_first_not_of(". ");
    return name.substr(start == std::string::npos ? 0 : start);
}

std::string ReportName::suggest(const std::string& userName, const std::string& subject, const char* extension)
{
    std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    return suggest(userName, subject, today, extension);
}
