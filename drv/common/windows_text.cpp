#include "drv/common/windows_text.h"

namespace lumivex::drv {

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

std::string module_file_name(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    // A name cut to the buffer's size fills it.
    while ((length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(2 * path.size());
    path.resize(length);
    return utf8_from_wide(path);
}

std::string system_message(DWORD code, const std::string& file) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = utf8_from_wide(std::wstring(text != nullptr ? text : L"", length));
    LocalFree(text);
    for (char& c : message)
        if (c == '\r' || c == '\n')
            c = ' ';
    message.erase(message.find_last_not_of(' ') + 1);
    if (const auto insert = message.find("%1"); insert != std::string::npos)
        message.replace(insert, 2, file);
    return message.empty() ? "error " + std::to_string(code) : message;
}

} // namespace lumivex::drv
