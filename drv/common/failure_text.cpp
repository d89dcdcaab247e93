#include "drv/common/failure_text.h"

namespace lumivex::drv {

std::string failure_line(std::string_view library, std::string_view subject,
                         std::string_view reason) {
    return "lumivex " + std::string(library) + ": " + std::string(subject) + ": " +
           std::string(reason);
}

std::string permission_reason(std::string_view group) {
    const std::string name(group);
    return "permission denied; add your user to the group " + name + " (usermod -aG " + name +
           " $USER) and log in again";
}

} // namespace lumivex::drv
