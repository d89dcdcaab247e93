#include "expect.h"

#include "remote_program.h"

#include <iostream>

namespace {
int failures = 0;
}

int failed_checks() {
    return failures;
}

void expect(bool condition, const std::string& what, std::source_location where) {
    if (condition)
        return;
    ++failures;
    std::cerr << where.file_name() << ":" << where.line() << ": " << what << "\n";
}

std::string describe(const std::string& text) {
    return "\"" + text + "\"";
}

std::string describe(const std::wstring& text) {
    return describe(to_utf8(text));
}

std::string describe(long long number) {
    return std::to_string(number);
}

std::string describe(const BusPulse& pulse) {
    char text[40];
    std::snprintf(text, sizeof text, "RS %d R/W %d DR %02X", pulse.rs, pulse.rw, pulse.data);
    return text;
}
