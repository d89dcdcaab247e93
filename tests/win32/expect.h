#pragma once

#include "support/trace.h"

#include <source_location>
#include <string>
#include <vector>

// Checks that report where they failed and carry on, like a test framework's; the driver's
// exit code says whether any failed.
int failed_checks();

void expect(bool condition, const std::string& what,
            std::source_location where = std::source_location::current());

std::string describe(const std::string& text);
std::string describe(const std::wstring& text);
std::string describe(long long number);
std::string describe(const BusPulse& pulse);
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
