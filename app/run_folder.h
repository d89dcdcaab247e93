#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumivex::app {

// The folder the program file lies in (UTF-8), as the front end found it at start. Empty, the
// default, when it is not known: then only the current folder is looked in.
void set_program_folder(std::string folder);

// Where a file of the run folder ("drv/PORT.DLL") is looked for, in order: the program's own
// folder, then the path as it stands, which the platform takes from the current folder. So the
// program finds its files however it was started, and a run folder entered by hand still works.
std::vector<std::string> run_folder_paths(std::string_view relative);

// The first of those paths where a file exists; the relative path itself when none has it.
std::string find_in_run_folder(std::string_view relative);

} // namespace lumivex::app
