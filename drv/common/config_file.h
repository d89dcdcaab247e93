#pragma once

#include "drv/common/failure_text.h"

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
// `sections`. On a malformed line: nothing, and `error` says "line N: what is wrong".
std::optional<std::vector<ConfigEntry>>
parse_config(std::string_view text, std::span<const std::string_view> sections, std::string& error);

// "line N: what"
std::string config_line_error(int line, std::string_view what);

// A whole number in decimal or, with 0x, hexadecimal; nothing for anything else or above 2^32-1.
std::optional<unsigned> parse_config_number(std::string_view text);

// The configuration file a port library reads: the file the environment variable names, or else
// `file_name` in the folder the port library was loaded from (beside drv/PORT.DLL).
std::string config_path(const char* environment_variable, std::string_view file_name);

// The file's text, empty when there is no such file; nothing when it cannot be read, with
// `error` saying why.
std::optional<std::string> read_config_text(const std::string& path, std::string& error);

// A port library's configuration as `parse` (text, error -> optional configuration) reads it from
// the file config_path() gives; without the file, what `parse` makes of an empty text. On a
// fault: nothing, and `error` is the line for standard error, naming the file.
template <typename Parse>
auto load_config(std::string_view library, const char* environment_variable,
                 std::string_view file_name, Parse parse, std::string& error) {
    const std::string path = config_path(environment_variable, file_name);
    std::string fault;
    const auto text = read_config_text(path, fault);
    auto config = text ? parse(*text, fault) : decltype(parse(std::string_view(), fault))();
    if (!config)
        error = failure_line(library, path, fault);
    return config;
}

} // namespace lumivex::drv
