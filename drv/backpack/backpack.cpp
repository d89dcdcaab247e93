#include "drv/backpack/backpack.h"

#include "drv/common/config_file.h"

#include <cstdio>
#include <map>
#include <utility>

namespace lumivex::backpack {

namespace {

// The lowest and highest address a device may have; the others are reserved by the I2C bus.
constexpr unsigned first_address = 0x03;
constexpr unsigned last_address = 0x77;

// The signals by their configuration keys, in the order faults name them.
std::array<std::pair<const char*, unsigned*>, 8> signal_pins(Backpack& backpack) {
    return {{{"rs", &backpack.rs},
             {"rw", &backpack.rw},
             {"e", &backpack.e},
             {"backlight", &backpack.backlight},
             {"d4", &backpack.data[0]},
             {"d5", &backpack.data[1]},
             {"d6", &backpack.data[2]},
             {"d7", &backpack.data[3]}}};
}

std::optional<unsigned> parse_pin(std::string_view value) {
    if (value.size() == 2 && (value[0] == 'P' || value[0] == 'p'))
        value.remove_prefix(1);
    const auto pin = drv::parse_config_number(value);
    return pin && *pin <= 7 ? pin : std::nullopt;
}

// One "key = value" entry into the backpack; what is wrong with it otherwise.
std::string apply_entry(const BackpackBus& bus, const drv::ConfigEntry& entry, Backpack& backpack) {
    if (entry.key == bus.key)
        return bus.parse(entry.value, backpack.bus);
    if (entry.key == "address") {
        const auto address = drv::parse_config_number(entry.value);
        if (!address || *address < first_address || *address > last_address)
            return "address = " + entry.value + " is not a device address (0x03 to 0x77)";
        backpack.address = *address;
    } else if (entry.key == "light") {
        if (entry.value != "on" && entry.value != "off")
            return "light = " + entry.value + " is neither on nor off";
        backpack.light = entry.value == "on";
    } else {
        for (const auto& [key, pin] : signal_pins(backpack)) {
            if (entry.key != key)
                continue;
            const auto number = parse_pin(entry.value);
            if (!number)
                return entry.key + " = " + entry.value + " is not a pin (0..7)";
            *pin = *number;
            return {};
        }
        return "unknown key " + entry.key + " (" + std::string(bus.key) +
               ", address, rs, rw, e, backlight, d4..d7, light)";
    }
    return {};
}

// Two signals on one pin; empty when each has its own.
std::string shared_pin(Backpack backpack) {
    std::map<unsigned, const char*> used;
    for (const auto& [key, pin] : signal_pins(backpack)) {
        if (const auto other = used.find(*pin); other != used.end())
            return std::string{'P', static_cast<char>('0' + *pin)} + " is both " + other->second +
                   " and " + key;
        used[*pin] = key;
    }
    return {};
}

} // namespace

std::string hex_address(unsigned address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", address);
    return text;
}

std::optional<Backpacks> parse_backpacks(std::string_view text, const BackpackBus& bus,
                                         std::string& error) {
    Backpack common;
    common.bus = bus.fallback;
    const auto apply = [&bus](const drv::ConfigEntry& entry, Backpack& backpack) {
        return apply_entry(bus, entry, backpack);
    };
    return drv::parse_port_configs(text, common, common, apply, shared_pin, error);
}

std::optional<Backpacks> load_backpacks(const BackpackBus& bus, std::string& error) {
    const std::string file_name = std::string(bus.library) + ".conf";
    const auto parse = [&bus](std::string_view text, std::string& fault) {
        return parse_backpacks(text, bus, fault);
    };
    return drv::load_config(bus.library, bus.conf_variable, file_name, parse, error);
}

} // namespace lumivex::backpack
