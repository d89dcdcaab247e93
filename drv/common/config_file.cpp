#include "drv/common/config_file.h"

#include "drv/common/config_places.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace lumivex::drv {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string lower_case(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string section_names(std::span<const std::string_view> sections) {
    std::string names;
    for (const std::string_view name : sections)
        names += (names.empty() ? "[" : " or [") + std::string(name) + "]";
    return names;
}

// The whole file; nothing when it cannot be read, with errno saying why.
std::optional<std::string> file_text(const std::string& path) {
    std::FILE* file = open_for_reading(path);
    if (file == nullptr)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) != 0;)
        text.append(buffer, count);
    const int error = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    errno = error;
    return error == 0 ? std::optional(text) : std::nullopt;
}

} // namespace

std::string config_line_error(int line, std::string_view what) {
    return "line " + std::to_string(line) + ": " + std::string(what);
}

std::optional<std::vector<ConfigEntry>> parse_config(std::string_view text,
                                                     std::span<const std::string_view> sections,
                                                     std::string& error) {
    std::vector<ConfigEntry> entries;
    std::string section(sections.front());
    int number = 0;
    std::istringstream lines{std::string(text)};
    for (std::string raw; std::getline(lines, raw);) {
        ++number;
        const std::string_view line = trimmed(std::string_view(raw).substr(0, raw.find('#')));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const auto named = std::find_if(sections.begin(), sections.end(), [&](auto name) {
                return line.back() == ']' &&
                       lower_case(trimmed(line.substr(1, line.size() - 2))) == lower_case(name);
            });
            if (named == sections.end()) {
                error = config_line_error(number, "expected " + section_names(sections) + ", not " +
                                                      std::string(line));
                return std::nullopt;
            }
            section = *named;
            continue;
        }
        const auto equals = line.find('=');
        const std::string_view key = trimmed(line.substr(0, equals));
        if (equals == std::string_view::npos || key.empty()) {
            error = config_line_error(number, "expected key = value, not " + std::string(line));
            return std::nullopt;
        }
        ConfigEntry entry{number, section, lower_case(key),
                          std::string(trimmed(line.substr(equals + 1)))};
        if (std::any_of(entries.begin(), entries.end(), [&](const ConfigEntry& earlier) {
                return earlier.section == entry.section && earlier.key == entry.key;
            })) {
            error = config_line_error(number, entry.key + " is given twice");
            return std::nullopt;
        }
        entries.push_back(entry);
    }
    return entries;
}

std::string config_device_path(const std::string& value) {
    return value.find('/') == std::string::npos ? "/dev/" + value : value;
}

std::optional<unsigned> parse_config_number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned number = 0;
    const auto [end, status] =
        std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (text.empty() || status != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::string ConfigSource::how_to(std::string_view what) const {
    return advice.empty() ? std::string(what) + " in " + path
                          : advice + " and " + std::string(what);
}

std::string ConfigSource::cure() const {
    return advice.empty() ? std::string()
                          : "; to configure your hardware, " + advice + " and edit it";
}

std::optional<std::string> read_config(std::string_view library, const char* environment_variable,
                                       std::string_view file_name, ConfigSource& source,
                                       std::string& error) {
    if (const auto named = environment_value(environment_variable)) {
        source = {*named, {}};
        auto text = file_text(*named);
        if (!text)
            error = failure_line(library, std::string(environment_variable) + "=" + *named,
                                 std::strerror(errno));
        return text;
    }
    const std::string folder = users_config_folder();
    const std::string users =
        path_in(folder.empty() ? users_config_folder_name() : folder, std::string(file_name));
    const std::string beside = path_in(library_folder(), std::string(file_name));
    const std::string advice = "copy " + beside + " to " + users;
    // The user's own file, when there is a folder for it, then the default.
    for (const bool own : {true, false}) {
        if (own && folder.empty())
            continue;
        const std::string& path = own ? users : beside;
        auto text = file_text(path);
        if (!text && (errno == ENOENT || errno == ENOTDIR))
            continue;
        source = {path, own ? std::string() : advice};
        if (!text)
            error = failure_line(library, path, std::strerror(errno));
        return text;
    }
    source = {{}, advice};
    return std::string();
}

} // namespace lumivex::drv
