#include "drv/common/config_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
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
        entries.push_back(
            {number, section, lower_case(key), std::string(trimmed(line.substr(equals + 1)))});
    }
    return entries;
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

std::string config_path(const char* environment_variable, std::string_view file_name) {
    const char* chosen = std::getenv(environment_variable);
    if (chosen != nullptr && chosen[0] != '\0')
        return chosen;
    // This code is linked into the port library, so its address names the library's file.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&config_path), &info) == 0 || info.dli_fname == nullptr)
        return std::string(file_name);
    return (std::filesystem::absolute(info.dli_fname).parent_path() / file_name).string();
}

std::optional<std::string> read_config_text(const std::string& path, std::string& error) {
    errno = 0;
    std::ifstream file(path);
    if (!file && (errno == ENOENT || errno == 0))
        return std::string();
    if (!file) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace lumivex::drv
