#pragma once

#include "support/trace.h"

#include <cstdio>
#include <iostream>
#include <source_location>
#include <string>
#include <vector>

// Checks that report where they failed and carry on, like a test framework's; the driver's
// exit code says whether any failed.
inline int failed_checks = 0;

inline void expect(bool condition, const std::string& what,
                   std::source_location where = std::source_location::current()) {
    if (condition)
        return;
    ++failed_checks;
    std::cerr << where.file_name() << ":" << where.line() << ": " << what << "\n";
}

inline std::string describe(const std::string& text) {
    return "\"" + text + "\"";
}
inline std::string describe(const std::wstring& text) {
    return describe(std::string(text.begin(), text.end())); // enough to tell texts apart
}
inline std::string describe(long long number) {
    return std::to_string(number);
}
inline std::string describe(const BusPulse& pulse) {
    char text[40];
    std::snprintf(text, sizeof text, "RS %d R/W %d DR %02X", pulse.rs, pulse.rw, pulse.data);
    return text;
}
template <typename Item> std::string describe(const std::vector<Item>& items) {
    std::string result = "{";
    for (const Item& item : items)
        result += (result.size() > 1 ? ", " : "") + describe(item);
    return result + "}";
}

template <typename Value>
void expect_equal(const Value& actual, const Value& expected,
                  std::source_location where = std::source_location::current()) {
    if (!(actual == expected))
        expect(false, "got " + describe(actual) + ", expected " + describe(expected), where);
}
