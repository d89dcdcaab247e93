#include "app/run_folder.h"

#include <filesystem>
#include <system_error>

namespace lumivex::app {

namespace {
std::string program_folder;
}

void set_program_folder(std::string folder) {
    program_folder = std::move(folder);
}

std::vector<std::string> run_folder_paths(std::string_view relative) {
    std::vector<std::string> paths;
    if (!program_folder.empty())
        paths.push_back(program_folder + "/" + std::string(relative));
    paths.emplace_back(relative);
    return paths;
}

std::string find_in_run_folder(std::string_view relative) {
    for (const std::string& path : run_folder_paths(relative)) {
        // A UTF-8 path on every platform, also where the system's narrow code page is another.
        const std::u8string utf8(path.begin(), path.end());
        std::error_code ignored;
        if (std::filesystem::exists(std::filesystem::path(utf8), ignored))
            return path;
    }
    return std::string(relative);
}

} // namespace lumivex::app
