#include "app/port_choice.h"

#include "app/run_folder.h"
#include "port/port_module.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

namespace lumivex::app {

namespace {

// One value of port, panel or clock, and where it was given: "" on the command line, "PATH line
// N: " in the setting file, so that a line about it says where to change it.
struct Value {
    std::string text;
    std::string where;
};

struct Request {
    std::optional<Value> port, panel, clock;
    bool help = false;
    bool chosen_port = false;
};

// The keys of the setting file, and the options of the same names.
struct Key {
    const char* name;
    std::optional<Value> Request::*value;
    const char* form;
};
constexpr Key keys[] = {{"port", &Request::port, "NAME|PATH"},
                        {"panel", &Request::panel, "WxH"},
                        {"clock", &Request::clock, "real|instant"}};

std::filesystem::path from_utf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string listed(std::span<const std::string> names) {
    std::string list;
    for (const std::string& name : names)
        list.append(list.empty() ? "" : ", ").append(name);
    return list;
}

// A choice that ends the program before its dialog, showing the text.
StartChoice ending(StartAction action, std::string text) {
    StartChoice choice;
    choice.action = action;
    choice.text = std::move(text);
    return choice;
}

StartChoice stopped(const std::string& why) {
    return ending(StartAction::stop, "lumivex: " + why);
}

// One --key=value option.
std::string read_option(const std::string& argument, Request& request) {
    const std::string option = argument.substr(0, argument.find('='));
    const auto key = std::find_if(std::begin(keys), std::end(keys), [&](const Key& k) {
        return option == "--" + std::string(k.name);
    });
    if (key == std::end(keys))
        return "unknown argument \"" + argument + "\" (lumivex --help lists the options)";
    if (option.size() + 1 >= argument.size())
        return option + " needs a value, as " + option + "=" + key->form;
    request.*key->value = Value{argument.substr(option.size() + 1), ""};
    return {};
}

std::string read_arguments(std::span<const std::string> arguments, Request& request) {
    for (const std::string& argument : arguments)
        if (argument == "--help")
            request.help = true;
        else if (argument == "--chosen-port")
            request.chosen_port = true;
        else if (std::string error = read_option(argument, request); !error.empty())
            return error;
    return {};
}

std::string read_setting(const SettingFile& setting, Request& request) {
    // Notepad starts a file it saves as UTF-8 with a byte order mark.
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    std::istringstream lines(setting.text.starts_with(byte_order_mark)
                                 ? setting.text.substr(byte_order_mark.size())
                                 : setting.text);
    int number = 0;
    std::set<std::string> given;
    for (std::string raw; std::getline(lines, raw);) {
        ++number;
        const std::string line = trimmed(std::string_view(raw).substr(0, raw.find('#')));
        if (line.empty())
            continue;
        const std::string where = setting.path + " line " + std::to_string(number) + ": ";
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            return where + "expected key = value, not \"" + line + "\"";
        const std::string name = lower_case(trimmed(std::string_view(line).substr(0, equals)));
        const auto key = std::find_if(std::begin(keys), std::end(keys),
                                      [&](const Key& k) { return name == k.name; });
        if (key == std::end(keys))
            return where + "unknown key \"" + name + "\" (keys: port, panel, clock)";
        if (!given.insert(name).second)
            return where + name + " is given twice";
        // An empty value leaves the key unset, as an empty environment variable does.
        const std::string value = trimmed(std::string_view(line).substr(equals + 1));
        request.*key->value =
            value.empty() ? std::nullopt : std::optional<Value>(Value{value, where});
    }
    return {};
}

bool has_folder(const std::string& value) {
    constexpr auto separator = static_cast<char>(std::filesystem::path::preferred_separator);
    return value.find('/') != std::string::npos || value.find(separator) != std::string::npos;
}

bool is_path(const std::string& value) {
    const std::string lower = lower_case(value);
    return has_folder(value) || lower.ends_with(".so") || lower.ends_with(".dll");
}

// The WxH form only: which sizes the simulated port offers is for it to say when it opens.
bool is_panel(const std::string& value) {
    const auto by = value.find('x');
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(),
                                            [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    return by != std::string::npos && digits(std::string_view(value).substr(0, by)) &&
           digits(std::string_view(value).substr(by + 1));
}

// The library the request names, and the simulated port's variables; or why not.
StartChoice resolve(const Request& request, std::span<const std::string> names) {
    StartChoice choice;
    if (request.port) {
        const Value& port = *request.port;
        choice.port = port.text;
        if (is_path(port.text)) {
            // Without a folder, dlopen would search the system's library path instead.
            choice.library = has_folder(port.text) ? port.text : "./" + port.text;
            choice.in_run_folder = false;
        } else if (std::find(names.begin(), names.end(), port.text) == names.end()) {
            return stopped(port.where + "no port library named \"" + port.text +
                           "\" (found: " + listed(names) + ")");
        } else if (port.text != "sim") {
            choice.library = "drv/" + port.text + "/PORT.DLL";
        }
    }
    if (request.panel && !is_panel(request.panel->text))
        return stopped(request.panel->where + "panel \"" + request.panel->text +
                       "\" is not WxH (columns x rows, as 16x2)");
    if (request.clock && request.clock->text != "real" && request.clock->text != "instant")
        return stopped(request.clock->where + "clock \"" + request.clock->text +
                       "\" is neither real nor instant");
    if (request.panel)
        choice.environment.push_back(
            {"LUMIVEX_SIM_PANEL", request.panel->text, request.panel->where.empty()});
    if (request.clock)
        choice.environment.push_back(
            {"LUMIVEX_SIM_CLOCK", request.clock->text, request.clock->where.empty()});
    return choice;
}

std::string usage(std::span<const std::string> names, const std::string& setting_path) {
    return "Usage: lumivex [--port=NAME|PATH] [--panel=WxH] [--clock=real|instant]\n"
           "       lumivex --chosen-port | --help\n"
           "\n"
           "  --port=NAME|PATH      the port library: a name below, or a library file\n"
           "  --panel=WxH           the simulated port's panel, as 16x2 or 20x4\n"
           "  --clock=real|instant  the simulated port's clock (instant: waits take no time)\n"
           "  --chosen-port         print the port library chosen, then end\n"
           "  --help                print this, then end\n"
           "\n"
           "Port libraries found: " +
           listed(names) +
           " (sim is drv/PORT.DLL, the default)\n"
           "Settings: " +
           setting_path + " (lines as port = i2c; keys port, panel, clock)";
}

void set_environment(const std::string& variable, const std::string& value) {
#if defined(_WIN32)
    // The port library's getenv reads the C runtime's copy, which _putenv_s updates.
    _putenv_s(variable.c_str(), value.c_str());
#else
    setenv(variable.c_str(), value.c_str(), 1);
#endif
}

} // namespace

bool is_program_argument(const std::string& argument) {
    const std::string option = argument.substr(0, argument.find('='));
    return option == "--help" || option == "--chosen-port" ||
           std::any_of(std::begin(keys), std::end(keys),
                       [&](const Key& key) { return option == "--" + std::string(key.name); });
}

std::vector<std::string> port_library_names() {
    std::set<std::string> found;
    for (const std::string& folder : run_folder_paths("drv")) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(from_utf8(folder), error)) {
            const std::u8string name = entry.path().filename().u8string();
            if (std::filesystem::exists(entry.path() / "PORT.DLL", error))
                found.emplace(name.begin(), name.end());
        }
    }
    found.erase("sim");
    std::vector<std::string> names{"sim"};
    names.insert(names.end(), found.begin(), found.end());
    return names;
}

StartChoice choose_at_start(std::span<const std::string> arguments, const SettingFile& setting,
                            std::span<const std::string> names) {
    Request request;
    if (std::string error = read_arguments(arguments, request); !error.empty())
        return stopped(error);
    if (request.help)
        return ending(StartAction::print_help, usage(names, setting.path));
    Request set;
    if (std::string error = read_setting(setting, set); !error.empty())
        return stopped(error);
    for (const Key& key : keys)
        if (!(request.*key.value))
            request.*key.value = set.*key.value;
    StartChoice choice = resolve(request, names);
    if (choice.action == StartAction::open_dialog && request.chosen_port) {
        choice.action = StartAction::print_chosen_port;
        choice.text = choice.port;
    }
    return choice;
}

void apply_choice(const StartChoice& choice) {
    for (const EnvironmentValue& entry : choice.environment) {
        const char* current = std::getenv(entry.variable.c_str());
        if (entry.replaces || current == nullptr || current[0] == '\0')
            set_environment(entry.variable, entry.value);
    }
    port::use_port_library(choice.library, choice.in_run_folder);
}

StartChoice start_choice(std::span<const std::string> arguments, const std::string& setting_path) {
    SettingFile setting{setting_path, ""};
    std::error_code missing;
    if (std::filesystem::exists(from_utf8(setting_path), missing)) {
        errno = 0;
        std::ifstream file(from_utf8(setting_path));
        if (!file)
            return stopped(setting_path + ": " + std::strerror(errno));
        std::ostringstream text;
        text << file.rdbuf();
        setting.text = text.str();
    }
    StartChoice choice = choose_at_start(arguments, setting, port_library_names());
    if (choice.action == StartAction::open_dialog)
        apply_choice(choice);
    return choice;
}

} // namespace lumivex::app
