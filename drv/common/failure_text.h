#pragma once

#include <string>
#include <string_view>

namespace lumivex::drv {

// The one line on standard error that says why OPENCOM failed:
// "lumivex <library>: <subject>: <reason>", the subject a device, file or device name.
std::string failure_line(std::string_view library, std::string_view subject,
                         std::string_view reason);

// The reason for a device the user may not open, naming the group that may.
std::string permission_reason(std::string_view group);

} // namespace lumivex::drv
