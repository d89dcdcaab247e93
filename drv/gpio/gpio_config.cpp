#include "drv/gpio/gpio_config.h"

#include "drv/common/config_file.h"

#include <map>

namespace lumivex::gpio {

namespace {

// The line a configuration key names in a wiring; null for an unknown key.
template <typename AnyWiring> auto* signal_line(AnyWiring& wiring, const std::string& key) {
    if (key == "rs")
        return &wiring.rs;
    if (key == "rw")
        return &wiring.rw;
    if (key == "e")
        return &wiring.e;
    if (key.size() == 2 && key[0] == 'd' && key[1] >= '0' && key[1] <= '7')
        return &wiring.data[key[1] - '0'];
    if (key.size() == 4 && key.starts_with("led") && key[3] >= '0' && key[3] <= '7')
        return &wiring.leds[key[3] - '0'];
    return static_cast<decltype(&wiring.rs)>(nullptr);
}

// One "key = value" entry into the wiring; what is wrong with it otherwise.
std::string apply_entry(const drv::ConfigEntry& entry, Wiring& wiring,
                        std::map<unsigned, std::string>& used) {
    if (entry.key == "chip") {
        if (entry.value.empty())
            return "chip = needs a device, such as /dev/gpiochip0";
        wiring.chip = drv::config_device_path(entry.value);
        return {};
    }
    auto* line = signal_line(wiring, entry.key);
    if (line == nullptr)
        return "unknown key " + entry.key + " (chip, rs, rw, e, d0..d7, led0..led7)";
    const auto offset = drv::parse_config_number(entry.value);
    if (!offset)
        return entry.key + " = " + entry.value + " is not a line number";
    if (const auto other = used.find(*offset); other != used.end())
        return "line " + entry.value + " is " + other->second + " already";
    used[*offset] = entry.key;
    *line = offset;
    wiring.config_lines[entry.key] = entry.line;
    return {};
}

// What a complete wiring lacks; empty when nothing.
std::string missing_signals(const Wiring& wiring) {
    for (const auto* key : {"rs", "e", "d4", "d5", "d6", "d7"})
        if (!signal_line(wiring, key)->has_value())
            return std::string("no line for ") + key;
    int low_lines = 0;
    for (int bit = 0; bit < 4; ++bit)
        low_lines += wiring.data[bit].has_value() ? 1 : 0;
    if (low_lines != 0 && low_lines != 4)
        return "d0..d3 are given in part: an 8-bit bus needs all four, a 4-bit bus none";
    return {};
}

} // namespace

Wiring raspberry_pi_wiring() {
    Wiring wiring;
    wiring.rs = 17;
    wiring.rw = 27;
    wiring.e = 22;
    wiring.data = {5, 6, 13, 19, 12, 16, 20, 21};
    return wiring;
}

std::optional<Wirings> parse_wirings(std::string_view text, std::string& error) {
    std::map<std::string, std::map<unsigned, std::string>> used; // by section, line, key
    const auto apply = [&](const drv::ConfigEntry& entry, Wiring& wiring) {
        return apply_entry(entry, wiring, used[entry.section]);
    };
    return drv::parse_port_configs(text, Wiring(), raspberry_pi_wiring(), apply, missing_signals,
                                   error);
}

std::optional<Wirings> load_wirings(std::string& error) {
    return drv::load_config("gpio", "LUMIVEX_GPIO_CONF", "gpio.conf", parse_wirings, error);
}

} // namespace lumivex::gpio
