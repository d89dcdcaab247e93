#pragma once

#include <span>
#include <string>
#include <vector>

namespace lumivex::app {

// What the program does at start, as its command line and the user's setting file ask.
enum class StartAction {
    open_dialog,
    print_help,        // text: the usage and the port libraries found; exit code 0
    print_chosen_port, // text: the port library's name, or its path as given; exit code 0
    stop,              // text: the one line that says why; exit code 2, before any dialog
};

// A variable the simulated port reads when its port opens. A command-line option replaces the
// variable's value; a setting only fills in a variable that is unset or empty.
struct EnvironmentValue {
    std::string variable;
    std::string value;
    bool replaces;
    bool operator==(const EnvironmentValue&) const = default;
};

struct StartChoice {
    StartAction action = StartAction::open_dialog;
    std::string text;
    std::string port = "sim";             // as the user named it
    std::string library = "drv/PORT.DLL"; // the file to load
    bool in_run_folder = true;            // false: library is a path, loaded as it stands
    std::vector<EnvironmentValue> environment;
};

// The user's setting file: where it is (as the help and error lines name it) and its text,
// empty when there is none. Lines "key = value", '#' starts a comment; keys port, panel, clock.
struct SettingFile {
    std::string path;
    std::string text;
};

// The port libraries the run folder holds (app/run_folder.h): "sim", drv/PORT.DLL, first, then
// the name of every drv/NAME/ folder with a PORT.DLL, in the program's folder or the current one,
// in alphabetical order.
std::vector<std::string> port_library_names();

// Whether a command-line argument is one of the program's own options (as against a toolkit's).
bool is_program_argument(const std::string& argument);

// Decides from the arguments (without the program's own name), the setting and the names found.
// Precedence: the command line, then the setting, then drv/PORT.DLL. A value with a path
// separator or ending in .so or .dll (any case) is a library file's path, relative to the
// current folder.
StartChoice choose_at_start(std::span<const std::string> arguments, const SettingFile& setting,
                            std::span<const std::string> names);

// Sets the simulated port's variables in this process's environment, where the port library
// reads them, and has the port module load the chosen library.
void apply_choice(const StartChoice& choice);

// What a front end calls once the program's folder is set: reads the setting file at
// setting_path, finds the names and decides; a choice to open the dialog is applied.
StartChoice start_choice(std::span<const std::string> arguments, const std::string& setting_path);

} // namespace lumivex::app
