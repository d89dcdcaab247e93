#include "support/run_folder.h"

#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

RunFolder::RunFolder() : earlier_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "lumivex-run-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    fs::create_directory(folder_ / "drv");
    fs::current_path(folder_);
}

RunFolder::~RunFolder() {
    fs::current_path(earlier_);
    fs::remove_all(folder_);
}

void RunFolder::install_port_library(const fs::path& library) const {
    fs::copy_file(library, folder_ / "drv" / "PORT.DLL", fs::copy_options::overwrite_existing);
}
