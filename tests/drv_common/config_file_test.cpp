#include "drv/common/config_file.h"

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

constexpr std::string_view sections[] = {"LPT1", "LPT2"};

TEST(ConfigFile, EntriesAndFaultsKeepTheirLineNumbers) {
    std::string error;
    const auto entries =
        drv::parse_config("# wiring\n RS = 17 # pin 11\n\n[ lpt2 ]\nChip=\n", sections, error);
    ASSERT_TRUE(entries) << error;
    EXPECT_EQ(*entries,
              (std::vector<drv::ConfigEntry>{{2, "LPT1", "rs", "17"}, {5, "LPT2", "chip", ""}}));
    const std::pair<const char*, const char*> faults[] = {
        {"rs 17", "line 1: expected key = value, not rs 17"},
        {"\n = 17", "line 2: expected key = value, not = 17"},
        {"# LPT3\n\n[LPT3]", "line 3: expected [LPT1] or [LPT2], not [LPT3]"},
    };
    for (const auto& [text, expected] : faults) {
        EXPECT_FALSE(drv::parse_config(text, sections, error)) << text;
        EXPECT_EQ(error, expected);
    }
    const std::pair<const char*, std::optional<unsigned>> numbers[] = {
        {"17", 17},
        {"0X3f", 0x3F},
        {"-1", std::nullopt},
        {"0x", std::nullopt},
        {"4294967296", std::nullopt}};
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(drv::parse_config_number(text), number) << text;
}

} // namespace
