// Windows names files and environment values in UTF-16; the port library speaks UTF-8 (its
// failure lines go to LASTERROR), so every name is taken through the wide calls.
#include "drv/common/config_places.h"

#include <cstdlib>
#include <windows.h>

namespace lumivex::drv {

namespace {

std::string utf8_from_wide(const std::wstring& wide) {
    std::string utf8(3 * wide.size(), '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

std::wstring wide_from_utf8(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

std::optional<std::string> wide_environment_value(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    if (value == nullptr || *value == L'\0')
        return std::nullopt;
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
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(2 * path.size());
    path.resize(length);
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string()
                                           : utf8_from_wide(path.substr(0, separator));
}

std::optional<std::string> environment_value(const char* name) {
    return wide_environment_value(wide_from_utf8(name).c_str());
}

std::FILE* open_for_reading(const std::string& path) {
    return _wfopen(wide_from_utf8(path).c_str(), L"rb");
}

} // namespace lumivex::drv
