#include "drv/inpout/inpout_config.h"

#include "port/lpt_wiring.h"

namespace lumivex::inpout {

namespace {

// An I/O range of a PCI card starts at a multiple of 4; below 0x100 sit the PC's own timers,
// interrupt and DMA controllers, which a typing error must not reach.
constexpr unsigned lowest_base = 0x100;
constexpr unsigned highest_base = 0xFFFC;

std::string base_of(const drv::ConfigEntry& entry, PortBase& port) {
    if (entry.key != "base")
        return "unknown key " + entry.key + " (base)";
    const auto base = drv::parse_config_number(entry.value);
    if (!base || *base < lowest_base || *base > highest_base || *base % 4 != 0)
        return "base is the port's first I/O address, a multiple of 4 from 0x100 to 0xFFFC, not " +
               entry.value;
    port.base = *base;
    return {};
}

} // namespace

std::optional<PortBases> parse_bases(std::string_view text, std::string& error) {
    auto bases = drv::parse_port_configs(
        text, PortBase{}, PortBase{lpt::lpt1_base_address}, base_of,
        [](const PortBase&) { return std::string(); }, error);
    if (bases && !bases->lpt2)
        bases->lpt2 = PortBase{lpt::lpt2_base_address};
    return bases;
}

std::optional<PortBases> load_bases(std::string& error) {
    return drv::load_config("inpout", "LUMIVEX_INPOUT_CONF", "inpout.conf", parse_bases, error);
}

} // namespace lumivex::inpout
