#pragma once

#include <string>
#include <string_view>

namespace lumivex::drv {

// What one port of a port library says when it fails, each failure one line for standard error
// ("lumivex <library>: <subject>: <reason>", failure_line()), the last kept for the port's
// error(); and whether the open port's device still answers. A failed transfer on the open port
// is said once, on standard error, and from then on nothing is sent until the port is opened
// again: the program never waits for a device that has gone.
class PortFailures {
public:
    explicit PortFailures(std::string_view library) : library_(library) {}

    // Why the port cannot be opened; false, for the caller to return. The port does not answer.
    bool refuse(std::string_view subject, std::string_view reason);
    // The same with a line made elsewhere (a configuration at fault).
    bool refuse(std::string line);
    // The port is open on `subject`, the device it names: no failure stands, and it answers.
    void opened(std::string subject);

    // Whether transfers may go to the device: it is open, and none has failed since.
    bool answering() const { return answering_; }
    // A transfer failed: "<reason>" is said on standard error and answering() is false until the
    // port is opened again.
    void stop(std::string_view reason);
    // The kernel refused `what` (errno value `error`): "<what> failed (<why>); no line changes
    // until the port is opened again" (stop()).
    void stop_changes(std::string_view what, int error);

    const std::string& line() const { return line_; }

private:
    std::string library_;
    std::string subject_;
    std::string line_;
    bool answering_ = false;
};

// "<what> failed (<the text of errno value `error`>)"
std::string refused(std::string_view what, int error);

// Opens `port` on `device_name` with the configuration `load` (error -> optional configuration)
// reads; a configuration at fault closes the port and is its failure.
template <typename Port, typename Load>
bool open_configured(Port& port, const std::string& device_name, Load load,
                     PortFailures& failures) {
    std::string error;
    const auto configs = load(error);
    if (configs)
        return port.open(device_name, *configs);
    port.close();
    return failures.refuse(error);
}

} // namespace lumivex::drv
