// Whole-file replacement that never leaves a half-written file behind: the text goes to a
// temporary file in the same folder, is flushed to disk, then renamed over the target.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>
#include <sys/types.h>

class SafeFile {
public:
    // On failure returns false, leaves any previous file at path untouched and describes why in error.
    static bool write(const std::string& path, const std::string& text, std::string& error);
    static bool exists(const std::string& path);
    // The whole file, or false when it cannot be read.
    static bool read(const std::string& path, std::vector<char>& content);

    // Test seam for the low-level write; defaults to ::write.
    static std::function<ssize_t(int fd, const void* data, size_t size)> writeCall;
};
