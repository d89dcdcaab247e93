#pragma once

#include <cstdint>
#include <string>

namespace lumivex::drv {

// Why the library's last OPENCOM failed, for LASTERROR (port/port_library.h). Each port library
// keeps its own.

// Fails OPENCOM for the reason given: one line on standard error, kept for LASTERROR.
std::int32_t refuse_port(std::string reason);
// An OPENCOM that succeeded: nothing has failed since.
void forget_refusal();
// LASTERROR: the kept reason cut to size - 1 bytes and a zero byte in buffer; its full length.
std::int32_t copy_last_refusal(char* buffer, std::int32_t size);

} // namespace lumivex::drv
