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
        // LoadLibrary searches its own path list for relative names; the library belongs to
        // the current directory, and its own dependencies are looked up beside it.
        wchar_t wide_path[MAX_PATH];
        wchar_t full_path[MAX_PATH];
        if (MultiByteToWideChar(CP_UTF8, 0, path, -1, wide_path, MAX_PATH) == 0)
            return nullptr;
        const DWORD length = GetFullPathNameW(wide_path, MAX_PATH, full_path, nullptr);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        for (wchar_t* c = full_path; *c != L'\0'; ++c)
            if (*c == L'/')
                *c = L'\\';
        return LoadLibraryExW(full_path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
