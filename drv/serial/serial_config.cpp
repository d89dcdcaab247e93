#include "drv/serial/serial_config.h"

#include <algorithm>
#include <cctype>

namespace lumivex::serial {

namespace {

bool is_com_port(const std::string& value) {
    return value.size() > 3 &&
           std::equal(value.begin(), value.begin() + 3, "COM", [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

std::string apply_entry(const drv::ConfigEntry& entry, BoardDevice& board) {
    if (entry.key != "device")
        return "unknown key " + entry.key + " (device)";
    if (entry.value.empty())
        return "device = needs auto or a serial port, such as /dev/ttyACM0 or COM3";
    if (entry.value == "auto")
        board.name.clear();
    else
        board.name = is_com_port(entry.value) ? entry.value : drv::config_device_path(entry.value);
    return {};
}

} // namespace

std::optional<BoardDevices> parse_board_devices(std::string_view text, std::string& error) {
    return drv::parse_port_configs(
        text, BoardDevice(), BoardDevice(), apply_entry,
        [](const BoardDevice&) { return std::string(); }, error);
}

std::optional<BoardDevices> load_board_devices(std::string& error) {
    return drv::load_config("serial", "LUMIVEX_SERIAL_CONF", "serial.conf", parse_board_devices,
                            error);
}

} // namespace lumivex::serial
