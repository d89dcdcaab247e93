#include "drv/common/port_failures.h"

#include "drv/common/failure_text.h"

#include <cstdio>
#include <cstring>

namespace lumivex::drv {

bool PortFailures::refuse(std::string_view subject, std::string_view reason) {
    return refuse(failure_line(library_, subject, reason));
}

bool PortFailures::refuse(std::string line) {
    line_ = std::move(line);
    answering_ = false;
    return false;
}

void PortFailures::opened(std::string subject) {
    subject_ = std::move(subject);
    line_.clear();
    answering_ = true;
}

void PortFailures::stop(std::string_view reason) {
    answering_ = false;
    line_ = failure_line(library_, subject_, reason);
    std::fprintf(stderr, "%s\n", line_.c_str());
}

void PortFailures::stop_changes(std::string_view what, int error) {
    stop(refused(what, error) + "; no line changes until the port is opened again");
}

std::string refused(std::string_view what, int error) {
    return std::string(what) + " failed (" + std::strerror(error) + ")";
}

} // namespace lumivex::drv
