#pragma once

#include "drv/common/hardware_exports.h"
#include "drv/common/port_failures.h"
#include "drv/inpout/inpout_config.h"
#include "drv/inpout/inpout_dll.h"

#include <string>

namespace lumivex::inpout {

// LPT1 or LPT2 on a real parallel port through InpOut32: the program's DR, SR and CR (0x378..
// 0x37A, 0x278..0x27A) reach the port's own at its configured base, value for value. The port's
// hardware keeps its data lines off the bus while CR bit 5 asks for input, as the display
// needs; nothing else stands between the program and the port.
class InpOutPort final : public drv::HardwarePort {
public:
    explicit InpOutPort(InpOutDll& dll) : dll_(dll) {}

    // Loads InpOut32 for "LPT1:" or "LPT2:" at its base; on failure, error() says why.
    bool open(const std::string& device_name, const PortBases& bases);
    // The same with the bases of the configuration file (load_bases).
    bool open_port(const std::string& device_name) override {
        return drv::open_configured(*this, device_name, load_bases, failures_);
    }
    // Lets InpOut32 go, the port as the program left it.
    void close() override;

    // Addresses outside the open port are ignored; reading them gives 0xFF.
    void write(int address, int value) override;
    int read(int address) override;

    const std::string& error() const override { return failures_.line(); }

private:
    // The port's address for the program's, or nothing outside the open port.
    std::optional<unsigned> port_address(int address) const;

    InpOutDll& dll_;
    int program_base_ = 0; // 0 while closed
    unsigned base_ = 0;
    drv::PortFailures failures_{"inpout"};
};

} // namespace lumivex::inpout
