#pragma once

#include "drv/common/failure_text.h"
#include "port/lpt_wiring.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivex::drv {

// One "key = value" line of a port library's configuration file.
struct ConfigEntry {
    int line = 0;        // counted from 1
    std::string section; // the "[name]" header above it, or the first of the allowed sections
    std::string key;     // lower case
    std::string value;
    bool operator==(const ConfigEntry&) const = default;
};

// Reads "key = value" lines grouped under "[name]" headers. '#' starts a comment; blank lines and
// spaces around names, keys and values do not count; keys and section names are taken in any
// case. Lines before the first header belong to sections[0]; a header must name one of
// `sections`. On a malformed line, or a key given twice in one section: nothing, and `error` says
// "line N: what is wrong".
std::optional<std::vector<ConfigEntry>>
parse_config(std::string_view text, std::span<const std::string_view> sections, std::string& error);

// "line N: what"
std::string config_line_error(int line, std::string_view what);

// The device a value names: a path, or a name under /dev.
std::string config_device_path(const std::string& value);

// A whole number in decimal or, with 0x, hexadecimal; nothing for anything else or above 2^32-1.
std::optional<unsigned> parse_config_number(std::string_view text);

// Where a port library's configuration came from.
struct ConfigSource {
    std::string path; // the file read; empty when there was none and the built-in defaults hold
    // While it is not the user's own (none, or the default beside the port library): how to make
    // one, "copy <the default> to <the user's file>". Empty otherwise.
    std::string advice;

    // How the user changes the configuration: "<what> in <the file>" when it is their own, else
    // "<advice> and <what>".
    std::string how_to(std::string_view what) const;
    // For a failure that other settings may cure, while the configuration is not the user's own:
    // "; to configure your hardware, <advice> and edit it". Empty otherwise.
    std::string cure() const;
};

// A port library's settings for LPT1, for LPT2 when it has any, and where they came from.
template <typename Settings> struct PortConfigs {
    Settings lpt1;
    std::optional<Settings> lpt2;
    ConfigSource source;

    // The settings for "LPT1:" or "LPT2:"; null for another name or an LPT2 without settings, and
    // `reason` says why ("no second <what>; ...").
    const Settings* of(std::string_view device_name, std::string_view what,
                       std::string& reason) const {
        const int base = lpt::base_address_of(device_name);
        if (base == lpt::lpt1_base_address)
            return &lpt1;
        if (base == lpt::lpt2_base_address && lpt2)
            return &*lpt2;
        reason = base == lpt::lpt2_base_address ? "no second " + std::string(what) + "; " +
                                                      source.how_to("give one under [LPT2]")
                                                : "unknown device name (LPT1: or LPT2:)";
        return nullptr;
    }
};

// Reads the [LPT1] (the default section) and [LPT2] settings of a configuration: a section with
// entries starts from `blank` and `apply` (entry, settings -> what is wrong, empty when nothing)
// takes each of its entries in turn; `check` (settings -> what is wrong) then sees the whole of
// it. Without entries LPT1 has `lpt1_default` and LPT2 none. On a fault: nothing, and `error`
// says what is wrong, "line N: ..." for an entry, "[section] ..." for a section.
template <typename Settings, typename Apply, typename Check>
std::optional<PortConfigs<Settings>>
parse_port_configs(std::string_view text, const Settings& blank, const Settings& lpt1_default,
                   Apply apply, Check check, std::string& error) {
    static constexpr std::string_view sections[] = {"LPT1", "LPT2"};
    const auto entries = parse_config(text, sections, error);
    if (!entries)
        return std::nullopt;
    std::map<std::string, Settings> given;
    for (const ConfigEntry& entry : *entries) {
        const std::string fault =
            apply(entry, given.try_emplace(entry.section, blank).first->second);
        if (!fault.empty()) {
            error = config_line_error(entry.line, fault);
            return std::nullopt;
        }
    }
    for (const auto& [section, settings] : given) {
        if (const std::string fault = check(settings); !fault.empty()) {
            error = "[" + section + "] " + fault;
            return std::nullopt;
        }
    }
    PortConfigs<Settings> configs{lpt1_default, std::nullopt, {}};
    if (given.count("LPT1") != 0)
        configs.lpt1 = given["LPT1"];
    if (given.count("LPT2") != 0)
        configs.lpt2 = given["LPT2"];
    return configs;
}

// The text of a port library's configuration file `file_name`: the file `environment_variable`
// names, which must be there; else the user's, in $XDG_CONFIG_HOME/lumivex (~/.config/lumivex
// by default; %APPDATA%\lumivex on Windows); else the default beside the port library; else
// none, an empty text. Nothing when a file that is there or named cannot be read, and `error` is
// the line for standard error.
std::optional<std::string> read_config(std::string_view library, const char* environment_variable,
                                       std::string_view file_name, ConfigSource& source,
                                       std::string& error);

// A port library's configuration as `parse` (text, error -> optional configuration with a
// `source`) reads it from the file read_config() finds. On a fault: nothing, and `error` is the
// line for standard error, naming the file.
template <typename Parse>
auto load_config(std::string_view library, const char* environment_variable,
                 std::string_view file_name, Parse parse, std::string& error) {
    ConfigSource source;
    std::string fault;
    const auto text = read_config(library, environment_variable, file_name, source, error);
    auto config = text ? parse(*text, fault) : decltype(parse(std::string_view(), fault))();
    if (config)
        config->source = source;
    else if (text)
        error = failure_line(library, source.path, fault);
    return config;
}

} // namespace lumivex::drv
