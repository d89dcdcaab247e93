#include "drv/ppdev/ppdev_port.h"

#include "drv/common/failure_text.h"
#include "drv/ppdev/interruptible_call.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstdio>
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
        return "permission denied; add your user to the group lp (usermod -aG lp $USER) and "
               "log in again";
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

std::string refusal(const char* request, int error) {
    return std::string(request) + " failed (" + std::strerror(error) + ")";
}

} // namespace

std::string device_path(const std::string& device_name) {
    const bool second = device_name == lpt::lpt2_device_name;
    const char* chosen = std::getenv(second ? "LUMIVEX_PPDEV_LPT2" : "LUMIVEX_PPDEV_LPT1");
    if (chosen != nullptr && chosen[0] != '\0')
        return chosen;
    return second ? "/dev/parport1" : "/dev/parport0";
}

bool PpdevPort::fail(const std::string& path, const std::string& reason) {
    error_ = drv::failure_line("ppdev", path, reason);
    return false;
}

bool PpdevPort::transfer(unsigned long request, const char* name, void* argument) {
    if (!answering_)
        return false;
    const int error = device_.ioctl(request, argument);
    if (error == 0)
        return true;
    answering_ = false;
    std::fprintf(
        stderr, "%s\n",
        drv::failure_line("ppdev", path_,
                          refusal(name, error) + "; no line changes until the port is opened again")
            .c_str());
    return false;
}

// Exclusive when no other driver has the port registered (that claim never sleeps), shared with
// it otherwise. A shared claim sleeps in the kernel for as long as another holds the port, and
// every other ppdev request on the machine waits behind it (a ppdev holder's release too), so it
// gets claim_limit_ and is then interrupted. The kernel refuses it (ENXIO) while another has the
// port exclusively.
bool PpdevPort::claim(const std::string& path) {
    if (device_.ioctl(PPEXCL, nullptr) == 0 && device_.ioctl(PPCLAIM, nullptr) == 0)
        return true;
    // A refused exclusive claim leaves the request on this file; a fresh one asks to share.
    device_.close();
    if (const int error = device_.open(path); error != 0)
        return fail(path, open_failure(error));
    const int error =
        call_interruptibly([this] { return device_.ioctl(PPCLAIM, nullptr); }, claim_limit_);
    if (error == 0)
        return true;
    device_.close();
    if (error != EINTR && error != ENXIO)
        return fail(path, std::string("cannot claim the port: ") + std::strerror(error));
    return fail(path, in_use(device_.holder(path)));
}

bool PpdevPort::open(const std::string& device_name) {
    close();
    error_.clear();
    const int base = lpt::base_address_of(device_name);
    if (base == 0)
        return fail(device_name, "unknown device name (LPT1: or LPT2:)");
    const std::string path = device_path(device_name);
    if (const int error = device_.open(path); error != 0)
        return fail(path, open_failure(error));
    if (!claim(path))
        return false;
    int forward = 0;
    if (const int error = device_.ioctl(PPDATADIR, &forward); error != 0) {
        device_.ioctl(PPRELEASE, nullptr);
        device_.close();
        return fail(path, refusal("PPDATADIR", error));
    }
    direction_bit_ = 0;
    path_ = path;
    answering_ = true;
    base_ = base;
    return true;
}

void PpdevPort::close() {
    if (base_ == 0)
        return;
    device_.ioctl(PPRELEASE, nullptr);
    device_.close();
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
