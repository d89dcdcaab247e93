#include "drv/ppdev/ppdev_port.h"

#include "drv/common/failure_text.h"
#include "drv/common/port_failures.h"
#include "drv/ppdev/interruptible_call.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace lumivex::ppdev {

namespace {

using lpt::control_register;
using lpt::data_register;
// PPWCONTROL drives the control lines (/Strobe, /Auto Feed, Init, /SLCT IN); the direction bit
// goes through PPDATADIR.
using lpt::control_lines;
constexpr std::uint8_t direction_bit = lpt::control_data_input;

std::string open_failure(int error) {
    switch (error) {
    case ENOENT:
        return "no such device; load the kernel modules parport_pc and ppdev "
               "(modprobe parport_pc ppdev)";
    case ENODEV:
    case ENXIO:
        return "no parallel port behind it; load the kernel module parport_pc "
               "(modprobe parport_pc)";
    case EACCES:
    case EPERM:
        return drv::permission_reason("lp");
    default:
        return std::strerror(error);
    }
}

// Who has the port, as the kernel names the driver that claimed it: "lp" the printer driver,
// "ppdevN" a program through ppdev.
std::string in_use(const std::string& holder) {
    if (holder.empty())
        return "in use: another driver holds the port";
    if (holder == "lp")
        return "in use: the printer driver \"lp\" holds the port (modprobe -r lp frees it when "
               "nothing is printing)";
    if (holder.starts_with("ppdev"))
        return "in use: another program holds the port through ppdev (\"" + holder + "\")";
    return "in use: the driver \"" + holder + "\" holds the port";
}

} // namespace

std::string device_path(const std::string& device_name, const std::string& configured) {
    const char* chosen = std::getenv(device_name == lpt::lpt2_device_name ? "LUMIVEX_PPDEV_LPT2"
                                                                          : "LUMIVEX_PPDEV_LPT1");
    return chosen != nullptr && chosen[0] != '\0' ? chosen : configured;
}

bool PpdevPort::transfer(unsigned long request, const char* name, void* argument) {
    if (!failures_.answering())
        return false;
    const int error = device_.ioctl(descriptor_, request, argument);
    if (error != 0)
        failures_.stop_changes(name, error);
    return error == 0;
}

// Exclusive when no other driver has the port registered (that claim never sleeps), shared with
// it otherwise. A shared claim sleeps in the kernel for as long as another holds the port, and
// every other ppdev request on the machine waits behind it (a ppdev holder's release too), so it
// gets claim_limit_ and is then interrupted. The kernel refuses it (ENXIO) while another has the
// port exclusively.
bool PpdevPort::claim(const std::string& path) {
    if (device_.ioctl(descriptor_, PPEXCL, nullptr) == 0 &&
        device_.ioctl(descriptor_, PPCLAIM, nullptr) == 0)
        return true;
    // A refused exclusive claim leaves the request on this file; a fresh one asks to share.
    device_.close(descriptor_);
    if (descriptor_ = device_.open(path); descriptor_ < 0)
        return failures_.refuse(path, open_failure(-descriptor_));
    const int error = call_interruptibly(
        [this] { return device_.ioctl(descriptor_, PPCLAIM, nullptr); }, claim_limit_);
    if (error == 0)
        return true;
    device_.close(descriptor_);
    if (error != EINTR && error != ENXIO)
        return failures_.refuse(path,
                                std::string("cannot claim the port: ") + std::strerror(error));
    return failures_.refuse(path, in_use(device_.holder(path)));
}

bool PpdevPort::open(const std::string& device_name, const ParportPaths& paths) {
    close();
    std::string reason;
    const std::string* configured = paths.of(device_name, "device", reason);
    if (configured == nullptr)
        return failures_.refuse(device_name, reason);
    const std::string path = device_path(device_name, *configured);
    if (descriptor_ = device_.open(path); descriptor_ < 0)
        return failures_.refuse(path, open_failure(-descriptor_));
    if (!claim(path))
        return false;
    int forward = 0;
    if (const int error = device_.ioctl(descriptor_, PPDATADIR, &forward); error != 0) {
        device_.ioctl(descriptor_, PPRELEASE, nullptr);
        device_.close(descriptor_);
        return failures_.refuse(path, drv::refused("PPDATADIR", error));
    }
    direction_bit_ = 0;
    failures_.opened(path);
    base_ = lpt::base_address_of(device_name);
    return true;
}

void PpdevPort::close() {
    if (base_ == 0)
        return;
    device_.ioctl(descriptor_, PPRELEASE, nullptr);
    device_.close(descriptor_);
    descriptor_ = -1;
    base_ = 0;
}

void PpdevPort::write(int address, int value) {
    const int offset = lpt::register_at(base_, address);
    if (offset < 0)
        return;
    auto byte = static_cast<unsigned char>(value);
    switch (offset) {
    case data_register:
        transfer(PPWDATA, "PPWDATA", &byte);
        break;
    case control_register: {
        // The port lets go of the data lines before the lines may hand them to the display, and
        // takes them back only after: a write that turns them around never drives them while
        // the display may.
        const std::uint8_t direction = byte & direction_bit;
        int reverse = direction != 0 ? 1 : 0;
        if (direction != direction_bit_ && reverse)
            transfer(PPDATADIR, "PPDATADIR", &reverse); // refused, nothing after it is sent
        byte &= control_lines;
        transfer(PPWCONTROL, "PPWCONTROL", &byte);
        if (direction != direction_bit_ && !reverse)
            transfer(PPDATADIR, "PPDATADIR", &reverse);
        direction_bit_ = direction;
        break;
    }
    default: // the status register only reads
        break;
    }
}

int PpdevPort::read(int address) {
    const int offset = lpt::register_at(base_, address);
    if (offset < 0)
        return 0xFF;
    unsigned char byte = 0;
    switch (offset) {
    case data_register:
        return transfer(PPRDATA, "PPRDATA", &byte) ? byte : 0xFF;
    case control_register:
        return transfer(PPRCONTROL, "PPRCONTROL", &byte) ? (byte & control_lines) | direction_bit_
                                                         : 0xFF;
    default: // the status register
        return transfer(PPRSTATUS, "PPRSTATUS", &byte) ? byte : 0xFF;
    }
}

} // namespace lumivex::ppdev
