#include "drv/serial/link_errors.h"

#include <cerrno>
#include <cstring>

namespace lumivex::serial {

const char* const candidate_ports = "/dev/ttyACM*, /dev/ttyUSB*";

bool device_missing(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

bool device_busy(int error) {
    return error == EBUSY;
}

bool permission_denied(int error) {
    return error == EACCES || error == EPERM;
}

std::string error_text(int error) {
    return std::strerror(error);
}

} // namespace lumivex::serial
