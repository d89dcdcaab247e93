#include "drv/inpout/inpout_port.h"

#include "port/lpt_wiring.h"

namespace lumivex::inpout {

bool InpOutPort::open(const std::string& device_name, const PortBases& bases) {
    close();
    std::string reason;
    const PortBase* port = bases.of(device_name, "port", reason);
    if (port == nullptr)
        return failures_.refuse(device_name, reason);
    if (const auto failure = dll_.load())
        return failures_.refuse(failure->subject, failure->reason);
    program_base_ = lpt::base_address_of(device_name);
    base_ = port->base;
    failures_.opened(device_name);
    return true;
}

void InpOutPort::close() {
    if (program_base_ == 0)
        return;
    dll_.unload();
    program_base_ = 0;
}

std::optional<unsigned> InpOutPort::port_address(int address) const {
    const int offset = lpt::register_at(program_base_, address);
    return offset < 0 ? std::nullopt : std::optional(base_ + static_cast<unsigned>(offset));
}

void InpOutPort::write(int address, int value) {
    if (const auto port = port_address(address))
        dll_.out(*port, value & 0xFF);
}

int InpOutPort::read(int address) {
    const auto port = port_address(address);
    return port ? dll_.in(*port) : 0xFF;
}

} // namespace lumivex::inpout
