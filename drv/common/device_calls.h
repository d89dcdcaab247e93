#pragma once

#include <string>

namespace lumivex::drv {

// The system calls on a kernel device that the port libraries' devices share, in their
// convention. The device at `path`, opened for reading and writing and not inherited by programs
// started: a descriptor, or the negated errno value of the failure.
int open_device(const std::string& path);

// ioctl(2) with a pointer argument: 0, or the errno value of the failure.
int device_ioctl(int descriptor, unsigned long request, void* argument);

} // namespace lumivex::drv
