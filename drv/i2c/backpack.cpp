#include "drv/i2c/backpack.h"

#include "drv/common/config_file.h"

#include <cctype>
#include <map>
#include <utility>

namespace lumivex::i2c {

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

// The device a "bus = " value names; nothing for a value that starts as a number and is none.
std::optional<std::string> bus_path(const std::string& value) {
    if (const auto number = drv::parse_config_number(value))
        return "/dev/i2c-" + std::to_string(*number);
    if (std::isdigit(static_cast<unsigned char>(value[0])) != 0)
        return std::nullopt;
    return drv::config_device_path(value);
}

std::optional<unsigned> parse_pin(std::string_view value) {
    if (value.size() == 2 && (value[0] == 'P' || value[0] == 'p'))
        value.remove_prefix(1);
    const auto pin = drv::parse_config_number(value);
    return pin && *pin <= 7 ? pin : std::nullopt;
}

// One "key = value" entry into the backpack; what is wrong with it otherwise.
std::string apply_entry(const drv::ConfigEntry& entry, Backpack& backpack) {
    if (entry.key == "bus") {
        if (entry.value.empty())
            return "bus = needs a bus, such as /dev/i2c-1 or 1";
        const auto bus = bus_path(entry.value);
        if (!bus)
            return "bus = " + entry.value + " is not a bus number";
        backpack.bus = *bus;
    } else if (entry.key == "address") {
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
        return "unknown key " + entry.key + " (bus, address, rs, rw, e, backlight, d4..d7, light)";
    }
    return {};
}

// Two signals on one pin; empty when each has its own.
std::string shared_pin(Backpack backpack) {
    std::map<unsigned, const char*> used;
    for (const auto& [key, pin] : signal_pins(backpack)) {
        if (const auto other = used.find(*pin); other != used.end())
            return "P" + std::to_string(*pin) + " is both " + other->second + " and " + key;
        used[*pin] = key;
    }
    return {};
}

} // namespace

std::optional<Backpacks> parse_backpacks(std::string_view text, std::string& error) {
    return drv::parse_port_configs(text, Backpack(), Backpack(), apply_entry, shared_pin, error);
}

std::optional<Backpacks> load_backpacks(std::string& error) {
    return drv::load_config("i2c", "LUMIVEX_I2C_CONF", "i2c.conf", parse_backpacks, error);
}

} // namespace lumivex::i2c
