#include "port/library_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lumivex::port {

namespace {

#if defined(_WIN32)
// The system's message for a failed load of path, on one line of UTF-8. A message that names
// the file ("%1 is not a valid Win32 application.") names path; any other follows it.
std::string load_failure(const char* path, DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message(length == 0 ? 0 : 4 * length, '\0');
    message.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), message.data(),
                            static_cast<int>(message.size()), nullptr, nullptr)));
    LocalFree(text);
    if (message.empty())
        message = "error " + std::to_string(code);
    for (char& c : message)
        if (c == '\r' || c == '\n')
            c = ' ';
    message.erase(message.find_last_not_of(' ') + 1);
    if (const auto insert = message.find("%1"); insert != std::string::npos)
        return message.replace(insert, 2, path);
    return std::string(path) + ": " + message;
}

// LoadLibrary searches its own path list for relative names; the library belongs to the
// current directory, and its own dependencies are looked up beside it.
HMODULE load_from_current_directory(const char* path) {
    wchar_t wide_path[MAX_PATH];
    wchar_t full_path[MAX_PATH];
    DWORD length = 0;
    if (MultiByteToWideChar(CP_UTF8, 0, path, -1, wide_path, MAX_PATH) == 0 ||
        (length = GetFullPathNameW(wide_path, MAX_PATH, full_path, nullptr)) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    if (length == 0)
        return nullptr;
    for (wchar_t* c = full_path; *c != L'\0'; ++c)
        if (*c == L'/')
            *c = L'\\';
    return LoadLibraryExW(full_path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

class WindowsLoader final : public LibraryLoader {
public:
    LibraryHandle load(const char* path) override {
        const HMODULE library = load_from_current_directory(path);
        if (library == nullptr)
            error_ = load_failure(path, GetLastError());
        return library;
    }
    std::string last_error() override { return error_; }
    LibrarySymbol find(LibraryHandle library, const char* name) override {
        return reinterpret_cast<LibrarySymbol>(GetProcAddress(static_cast<HMODULE>(library), name));
    }
    void release(LibraryHandle library) override { FreeLibrary(static_cast<HMODULE>(library)); }

private:
    std::string error_;
};
using SystemLoader = WindowsLoader;
#else
class DlopenLoader final : public LibraryLoader {
public:
    // A path with a slash is taken as it stands, relative to the current directory.
    LibraryHandle load(const char* path) override {
        LibraryHandle library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* reason = dlerror(); // names the path, and says why
            error_ = reason != nullptr ? reason : "";
        }
        return library;
    }
    std::string last_error() override { return error_; }
    LibrarySymbol find(LibraryHandle library, const char* name) override {
        return reinterpret_cast<LibrarySymbol>(dlsym(library, name));
    }
    void release(LibraryHandle library) override { dlclose(library); }

private:
    std::string error_;
};
using SystemLoader = DlopenLoader;
#endif

} // namespace

LibraryLoader& system_library_loader() {
    static SystemLoader loader;
    return loader;
}

} // namespace lumivex::port
