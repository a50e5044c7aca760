// Whole-file replacement that never leaves a half-written file behind: the text goes to a
// temporary file in the same folder, is flushed to disk, then renamed over the target.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <sys/types.h>

// Leaves the bytes that a vector grows by unset, for a read to fill: zeroing a large record
// first adds about half to the time of reading it.
template <class T> struct UnsetAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <class U> UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A file's bytes as read.
using FileBytes = std::vector<char, UnsetAllocator<char>>;

class SafeFile {
public:
    // On failure returns false, leaves any previous file at path untouched and describes why in error.
    // A path that is a symbolic link is written through: its target is replaced, the link stays.
    static bool write(const std::string& path, const std::string& text, std::string& error);
    static bool exists(const std::string& path);

    enum class Read { Ok, CannotOpen, Refused };
    // The whole file. Only a regular file of at most maxSize bytes is read: anything else
    // (a pipe, a device, a folder, a huge file) is Refused, with the reason in why. With a head
    // size, only that many bytes from the start are read, whatever the file's size.
    static Read read(const std::string& path, FileBytes& content, std::string& why, size_t head = 0);
    static constexpr long long maxSize = 512LL << 20;

    // True for the name of a temporary file that write makes for a ".hma" file: ".NAME.hma.XXXXXX".
    static bool isLeftover(const std::string& name);
    // True when name is prefix followed by the six letters or digits that mkstemp and mkdtemp put
    // in place of "XXXXXX".
    static bool isTemporaryName(const std::string& name, const std::string& prefix);
    // Removes the regular files of folder whose names are leftovers, except those keep holds;
    // returns the names removed.
    static std::vector<std::string> removeLeftovers(const std::string& folder,
                                                    const std::function<bool(const std::string&)>& keep);
    // Creates the folder and its missing parents (mode 0700 for new ones); true when it exists after.
    static bool makeFolders(const std::string& path);
};
