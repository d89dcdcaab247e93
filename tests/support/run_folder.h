#pragma once

#include <filesystem>

// A temporary run folder, the current directory for this object's lifetime: the program looks
// for its port library there as drv/PORT.DLL.
class RunFolder {
public:
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // Puts a port library in as drv/PORT.DLL, replacing the one there.
    void install_port_library(const std::filesystem::path& library) const;
    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path earlier_;
};
