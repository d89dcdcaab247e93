#include "ui/win32/ansi_text.h"

#include <windows.h>

namespace lumivex::win32 {

namespace {

constexpr UINT western_code_page = 1252;

std::wstring to_wide(std::string_view text, UINT code_page) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(
                          MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

std::string from_wide(const std::wstring& wide, UINT code_page) {
    const int length = static_cast<int>(wide.size());
    std::string text(static_cast<std::size_t>(WideCharToMultiByte(code_page, 0, wide.data(), length,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(),
                        static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

} // namespace

std::string to_ansi(std::string_view utf8) {
    return from_wide(to_wide(utf8, CP_UTF8), western_code_page);
}

std::string from_ansi(std::string_view ansi) {
    return from_wide(to_wide(ansi, western_code_page), CP_UTF8);
}

std::string from_utf16(const std::wstring& wide) {
    return from_wide(wide, CP_UTF8);
}

std::wstring to_utf16(std::string_view utf8) {
    return to_wide(utf8, CP_UTF8);
}

} // namespace lumivex::win32
