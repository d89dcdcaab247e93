#include "support/core_test.h"
#include "text/binary_text.h"

#include <tuple>

using namespace lumivex;

namespace {

using BinaryText = CoreTest;

TEST_F(BinaryText, ParsesTenBitsIgnoringBlanksAndReportsAnythingElse) {
    const std::string too_large = "extends 1023", not_binary = "Nur '1', '0' und Leerzeichen!";
    const std::tuple<std::string, int, std::string> cases[] = {
        {"11 1111 1111", 1023, ""},
        {" 1 0 1 ", 5, ""},
        {"", 0, ""},
        {"100 0000 0000", 0, too_large}, // cut to the low ten bits
        {"1" + std::string(40, '0') + "101", 5, too_large},
        {std::string(1000, '1'), 1023, too_large},
        {"1\t0", -1, not_binary},          // a tab is not a blank
        {"x111 1111 1111", -1, not_binary} // and no "extends 1023" as well
    };
    for (const auto& [text, value, notice] : cases) {
        trace.clear();
        EXPECT_EQ(text::parse_binary_text(text), value) << text;
        EXPECT_EQ(trace, notice.empty() ? Trace{} : Trace{::notice(notice)}) << text;
    }
}

} // namespace
