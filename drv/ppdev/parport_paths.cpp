#include "drv/ppdev/parport_paths.h"

namespace lumivex::ppdev {

namespace {

std::string apply_entry(const drv::ConfigEntry& entry, std::string& path) {
    if (entry.key != "device")
        return "unknown key " + entry.key + " (device)";
    if (entry.value.empty())
        return "device = needs a device, such as /dev/parport0";
    path = drv::config_device_path(entry.value);
    return {};
}

std::string nothing_missing(const std::string&) {
    return {};
}

} // namespace

ParportPaths builtin_parport_paths() {
    return {"/dev/parport0", "/dev/parport1", {}};
}

std::optional<ParportPaths> parse_parport_paths(std::string_view text, std::string& error) {
    const ParportPaths builtin = builtin_parport_paths();
    auto paths = drv::parse_port_configs(text, std::string(), builtin.lpt1, apply_entry,
                                         nothing_missing, error);
    if (paths && !paths->lpt2)
        paths->lpt2 = builtin.lpt2;
    return paths;
}

std::optional<ParportPaths> load_parport_paths(std::string& error) {
    return drv::load_config("ppdev", "LUMIVEX_PPDEV_CONF", "ppdev.conf", parse_parport_paths,
                            error);
}

} // namespace lumivex::ppdev
