#include "port/library_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lumivex::port {

namespace {

#if defined(_WIN32)
class WindowsLoader final : public LibraryLoader {
public:
    LibraryHandle load(const char* path) override {
        // LoadLibraryA searches its own path list for relative names; the library belongs to
        // the current directory, and its own dependencies are looked up beside it.
        char full_path[MAX_PATH];
        const DWORD length = GetFullPathNameA(path, MAX_PATH, full_path, nullptr);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        for (char* c = full_path; *c != '\0'; ++c)
            if (*c == '/')
                *c = '\\';
        return LoadLibraryExA(full_path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    LibrarySymbol find(LibraryHandle library, const char* name) override {
        return reinterpret_cast<LibrarySymbol>(GetProcAddress(static_cast<HMODULE>(library), name));
    }
    void release(LibraryHandle library) override { FreeLibrary(static_cast<HMODULE>(library)); }
};
using SystemLoader = WindowsLoader;
#else
class DlopenLoader final : public LibraryLoader {
public:
    // A path with a slash is taken as it stands, relative to the current directory.
    LibraryHandle load(const char* path) override { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
    LibrarySymbol find(LibraryHandle library, const char* name) override {
        return reinterpret_cast<LibrarySymbol>(dlsym(library, name));
    }
    void release(LibraryHandle library) override { dlclose(library); }
};
using SystemLoader = DlopenLoader;
#endif

} // namespace

LibraryLoader& system_library_loader() {
    static SystemLoader loader;
    return loader;
}

} // namespace lumivex::port
