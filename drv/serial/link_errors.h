#pragma once

#include <string>

namespace lumivex::serial {

// The devices "auto" tries, for the user.
extern const char* const candidate_ports;

// What a SerialTransport's error value (errno, or GetLastError() on Windows) means to the user.

// No device of that name.
bool device_missing(int error);
// Another program has the device.
bool device_busy(int error);
// The user may not open it.
bool permission_denied(int error);
// The system's text for the error.
std::string error_text(int error);

} // namespace lumivex::serial
