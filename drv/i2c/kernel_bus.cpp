#include "drv/common/failure_text.h"
#include "drv/i2c/backpack_port.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace lumivex::i2c {

namespace {

constexpr std::string_view bus_prefix = "/dev/i2c-";

// A path, a name under /dev, or the number N of /dev/i2c-N.
std::string parse_bus(const std::string& value, std::string& bus) {
    if (value.empty())
        return "bus = needs a bus, such as /dev/i2c-1 or 1";
    if (const auto number = drv::parse_config_number(value))
        bus = std::string(bus_prefix) + std::to_string(*number);
    else if (std::isdigit(static_cast<unsigned char>(value[0])) != 0)
        return "bus = " + value + " is not a bus number";
    else
        bus = drv::config_device_path(value);
    return {};
}

std::string bus_path(const std::string& bus) {
    return bus;
}

std::string open_failure(int error, const drv::ConfigSource& source) {
    if (error == EACCES || error == EPERM)
        return drv::permission_reason("i2c");
    return (error == ENOENT ? "no such bus (i2cdetect -l lists the buses there are, once the "
                              "module i2c-dev is loaded)"
                            : std::strerror(error)) +
           source.cure();
}

std::string i2cdetect_hint(I2cDevice&, int, const Backpack& backpack) {
    if (!backpack.bus.starts_with(bus_prefix))
        return {};
    return " (i2cdetect -y " + backpack.bus.substr(bus_prefix.size()) +
           " lists the addresses that do)";
}

} // namespace

const backpack::BackpackBus kernel_bus = {
    .library = "i2c",
    .conf_variable = "LUMIVEX_I2C_CONF",
    .key = "bus",
    .fallback = "/dev/i2c-1",
    .parse = parse_bus,
    .subject = bus_path,
    .open_failure = open_failure,
    .no_answer_hint = i2cdetect_hint,
};

std::optional<Backpacks> parse_backpacks(std::string_view text, std::string& error) {
    return backpack::parse_backpacks(text, kernel_bus, error);
}

} // namespace lumivex::i2c
