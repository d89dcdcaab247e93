#include "drv/common/config_places.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

namespace lumivex::drv {

// A relative XDG_CONFIG_HOME does not count.
std::string users_config_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return path_in(config, "lumivex");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return path_in(path_in(home, ".config"), "lumivex");
    return {};
}

std::string users_config_folder_name() {
    return "~/.config/lumivex";
}

std::string path_in(const std::string& folder, const std::string& file_name) {
    return (std::filesystem::path(folder) / file_name).string();
}

// This code is linked into the port library, so its address names the file.
std::string library_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_folder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return std::filesystem::absolute(info.dli_fname).parent_path().string();
}

std::optional<std::string> environment_value(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return value;
}

std::FILE* open_for_reading(const std::string& path) {
    return std::fopen(path.c_str(), "re");
}

} // namespace lumivex::drv
