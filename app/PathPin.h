// Keeps the files a person names in the program's choosers inside one folder when MV_FILE_FOLDER
// is set, read once at start: a sandboxed run (the monkey test, run as root in CI) can then not
// write anywhere else, whatever is typed.
#pragma once

#include <string>

class PathPin {
public:
    // The path itself while unpinned or when its folder lies in the pinned one (after following
    // links and "..", relative to the working folder); else the same file name in the pinned folder.
    static std::string pin(const std::string& path);
    // The folder the choosers start in: the pinned one, else empty.
    static const std::string& folder();
    // Tests pin another folder; an empty one unpins.
    static void pinTo(const std::string& folder);
};
