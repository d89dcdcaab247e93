#pragma once

#include <string>
#include <windows.h>

// Text between the Windows API, which speaks UTF-16, and a port library, which speaks UTF-8.
namespace lumivex::drv {

std::string utf8_from_wide(const std::wstring& wide);
std::wstring wide_from_utf8(const std::string& utf8);
// The file `module` was loaded from; empty when it cannot be told.
std::string module_file_name(HMODULE module);
// The system's text for error `code`, on one line, naming `file` where it names a file.
std::string system_message(DWORD code, const std::string& file);

} // namespace lumivex::drv
