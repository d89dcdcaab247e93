// InpOut32's DLL loaded at run time: inpout32.dll, or for a 64-bit library inpoutx64.dll, as
// InpOut's 64-bit build is named, then inpout32.dll, in case it was renamed; beside the port
// library first, then wherever the system looks for DLLs.
#include "drv/common/config_places.h"
#include "drv/common/windows_text.h"
#include "drv/inpout/inpout_dll.h"

#include <vector>

namespace lumivex::inpout {

namespace {

const std::vector<std::string> dll_names =
    sizeof(void*) == 8 ? std::vector<std::string>{"inpoutx64.dll", "inpout32.dll"}
                       : std::vector<std::string>{"inpout32.dll"};

// The DLL's exports, as InpOut32 declares them.
using Out32 = void(__stdcall*)(short address, short value);
using Inp32 = short(__stdcall*)(short address);
using IsInpOutDriverOpen = BOOL(__stdcall*)();

bool not_there(DWORD code) {
    return code == ERROR_MOD_NOT_FOUND || code == ERROR_FILE_NOT_FOUND ||
           code == ERROR_PATH_NOT_FOUND;
}

template <typename Function> Function find(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class SystemInpOutDll final : public InpOutDll {
public:
    std::optional<DllFailure> load() override {
        if (module_ != nullptr)
            return std::nullopt;
        auto failure = load_module();
        if (!failure)
            failure = take_exports();
        if (failure)
            unload();
        return failure;
    }

    void unload() override {
        if (module_ != nullptr)
            FreeLibrary(module_);
        module_ = nullptr;
    }

    void out(unsigned address, int value) override {
        out32_(static_cast<short>(address), static_cast<short>(value));
    }
    int in(unsigned address) override { return inp32_(static_cast<short>(address)) & 0xFF; }

private:
    // The first of the names that loads, beside the port library, then on the system's path.
    // A file that is there but does not load (one for the other bitness) is what fails.
    std::optional<DllFailure> load_module() {
        const std::string folder = drv::library_folder();
        std::optional<DllFailure> refused;
        for (const bool beside : {true, false})
            for (const std::string& name : dll_names) {
                const std::string path = beside ? drv::path_in(folder, name) : name;
                const std::wstring wide = drv::wide_from_utf8(path);
                module_ = beside
                              ? LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                              : LoadLibraryW(wide.c_str());
                if (module_ != nullptr)
                    return std::nullopt;
                if (const DWORD code = GetLastError(); !not_there(code) && !refused)
                    refused = DllFailure{path, drv::system_message(code, name)};
            }
        if (refused)
            return refused;
        std::string names;
        for (const std::string& name : dll_names)
            names += (names.empty() ? "" : " or ") + name;
        return DllFailure{names, "not found beside PORT.DLL (in " + folder +
                                     ") nor on the system's path; get InpOut32 from Highrez "
                                     "(https://www.highrez.co.uk/downloads/inpout32/) and put "
                                     "it into either"};
    }

    std::optional<DllFailure> take_exports() {
        const std::string path = drv::module_file_name(module_);
        out32_ = find<Out32>(module_, "Out32");
        inp32_ = find<Inp32>(module_, "Inp32");
        const auto driver_open = find<IsInpOutDriverOpen>(module_, "IsInpOutDriverOpen");
        if (out32_ == nullptr || inp32_ == nullptr || driver_open == nullptr)
            return DllFailure{path, "not InpOut32: Out32, Inp32 or IsInpOutDriverOpen is missing"};
        if (driver_open() == FALSE)
            return DllFailure{path, "InpOut32's driver is not open; start lumivex.exe once with "
                                    "\"Run as administrator\" so that InpOut32 installs it"};
        return std::nullopt;
    }

    HMODULE module_ = nullptr;
    Out32 out32_ = nullptr;
    Inp32 inp32_ = nullptr;
};

} // namespace

InpOutDll& system_inpout_dll() {
    static SystemInpOutDll dll;
    return dll;
}

} // namespace lumivex::inpout
