#pragma once

#include <string>
#include <string_view>

namespace lumivex::win32 {

// The program's texts are UTF-8; the ...A functions of Windows take code page 1252. A
// character that code page lacks becomes '?'.
std::string to_ansi(std::string_view utf8);
std::string from_ansi(std::string_view ansi);
// What the ...W functions return, as UTF-8.
std::string from_utf16(const std::wstring& wide);
std::wstring to_utf16(std::string_view utf8);

} // namespace lumivex::win32
