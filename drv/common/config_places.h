#pragma once

#include <cstdio>
#include <optional>
#include <string>

// Where a port library's configuration files are, as the system has it. Paths are UTF-8 on
// Windows.
namespace lumivex::drv {

// The folder of the user's own configuration files: $XDG_CONFIG_HOME/lumivex, else
// ~/.config/lumivex; on Windows %APPDATA%\lumivex. Empty when it is not known.
std::string users_config_folder();
// The same folder for a message while it is not known: "~/.config/lumivex", "%APPDATA%\lumivex".
std::string users_config_folder_name();
// `folder` and `file_name` joined by the system's separator.
std::string path_in(const std::string& folder, const std::string& file_name);
// The folder of the port library this code is linked into; empty when it cannot be told.
std::string library_folder();
// The value of the environment variable `name`; nothing when it is unset or empty.
std::optional<std::string> environment_value(const char* name);
// The file at `path`, open for reading; null with errno saying why.
std::FILE* open_for_reading(const std::string& path);

} // namespace lumivex::drv
