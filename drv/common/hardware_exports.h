#pragma once

#include <string>

// The six exports of a port library for real hardware (hardware_exports.cpp, built into each
// such library) call these, which the library defines over its one port.
namespace lumivex::drv {

// Opens the port for "LPT1:" or "LPT2:", reading the library's configuration afresh. False,
// with the one line for standard error in error, when the port cannot be had.
bool open_hardware_port(const std::string& device_name, std::string& error);
void close_hardware_port();
// A register of the open port by its I/O address; 0xFF when nothing answers there.
int read_hardware_port(int address);
void write_hardware_port(int address, int value);

} // namespace lumivex::drv
