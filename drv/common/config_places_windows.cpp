// Windows names files and environment values in UTF-16; the port library speaks UTF-8 (its
// failure lines go to LASTERROR), so every name is taken through the wide calls.
#include "drv/common/config_places.h"
#include "drv/common/windows_text.h"

namespace lumivex::drv {

namespace {

// The process's own environment, as the program may have changed it since it started: the C
// runtime's copy keeps the one it started with.
std::optional<std::string> wide_environment_value(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    if (value.size() <= 1)
        return std::nullopt;
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return utf8_from_wide(value);
}

} // namespace

std::string users_config_folder() {
    const auto application_data = wide_environment_value(L"APPDATA");
    return application_data ? path_in(*application_data, "lumivex") : std::string();
}

std::string users_config_folder_name() {
    return "%APPDATA%\\lumivex";
}

std::string path_in(const std::string& folder, const std::string& file_name) {
    const bool separated = folder.empty() || folder.back() == '\\' || folder.back() == '/';
    return folder + (separated ? "" : "\\") + file_name;
}

// This code is linked into the port library, so its address names the module.
std::string library_folder() {
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&library_folder), &module) == 0)
        return {};
    const std::string path = module_file_name(module);
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::optional<std::string> environment_value(const char* name) {
    return wide_environment_value(wide_from_utf8(name).c_str());
}

std::FILE* open_for_reading(const std::string& path) {
    return _wfopen(wide_from_utf8(path).c_str(), L"rb");
}

} // namespace lumivex::drv
