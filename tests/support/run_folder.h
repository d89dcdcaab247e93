#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A temporary run folder, the current directory for this object's lifetime: the program looks
// for its port library there as drv/PORT.DLL.
class RunFolder {
public:
    RunFolder() : earlier_(std::filesystem::current_path()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumivex-run-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        std::filesystem::create_directory(folder_ / "drv");
        std::filesystem::current_path(folder_);
    }
    ~RunFolder() {
        std::filesystem::current_path(earlier_);
        std::filesystem::remove_all(folder_);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // Puts a port library in as drv/PORT.DLL, replacing the one there.
    void install_port_library(const std::filesystem::path& library) const {
        std::filesystem::copy_file(library, folder_ / "drv" / "PORT.DLL",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path earlier_;
};
