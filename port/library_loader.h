#pragma once

#include <string>

namespace lumivex::port {

using LibraryHandle = void*;
// A looked-up export, to be cast to its real type.
using LibrarySymbol = void (*)();

// Loads shared libraries at run time; tests substitute their own.
class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // nullptr when the library cannot be loaded. The path is UTF-8; a relative one is taken
    // from the current directory.
    virtual LibraryHandle load(const char* path) = 0;
    // Why the last load failed, in the system's own words, one line of UTF-8.
    virtual std::string last_error() = 0;
    // nullptr when the library has no export of that name.
    virtual LibrarySymbol find(LibraryHandle library, const char* name) = 0;
    virtual void release(LibraryHandle library) = 0;
};

// dlopen on Linux, LoadLibraryExW on Windows.
LibraryLoader& system_library_loader();

} // namespace lumivex::port
