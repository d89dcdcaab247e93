#include "drv/common/device_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>

namespace lumivex::drv {

int open_device(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return descriptor < 0 ? -errno : descriptor;
}

int device_ioctl(int descriptor, unsigned long request, void* argument) {
    return ::ioctl(descriptor, request, argument) < 0 ? errno : 0;
}

} // namespace lumivex::drv
