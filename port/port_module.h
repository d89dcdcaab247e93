#pragma once

#include "port/library_loader.h"

#include <string>

namespace lumivex::port {

// Where the port library is loaded from unless another is chosen, in the run folder
// (app/run_folder.h).
inline constexpr const char* port_library_path = "drv/PORT.DLL";

// Results of open_port.
enum OpenStatus : int {
    opened = 0,
    library_missing = 1,
    device_not_opened = 3,
    base_not_defined = 31,
    opencom_missing = 201,
    closecom_missing = 202,
    delay_missing = 203,
    delayus_missing = 204,
    inport_missing = 205,
    outport_missing = 206,
};

// Replaces the loader used by the next open_port (tests).
void use_library_loader(LibraryLoader& loader);

// The port library every later open_port loads: a file of the run folder (app/run_folder.h),
// or, with in_run_folder false, the path as it stands.
void use_port_library(std::string path, bool in_run_folder);

// Loads the port library and opens LPT1 or LPT2 at its base address (lpt_wiring.h). A port that is
// already open is closed first; a failed open leaves nothing loaded.
int open_port(int base);
// Clears DR, puts CR in its idle state, closes the device and releases the library.
// 0 when closed, -1 when nothing was open.
int close_port(int base);

// Called after every wait the port library performed, so that a front end can keep its windows
// painted during a long sequence; nullptr for none.
void set_wait_hook(void (*hook)());

// Runs one wait of the port library, of the length given: it calls wait(context) and returns
// once that has returned. A front end can substitute one that keeps its windows answering
// while a long wait runs; nullptr (the default) calls the wait in place.
using WaitRunner = void (*)(long long length_us, void (*wait)(void* context), void* context);
void set_wait_runner(WaitRunner runner);

// Guarded access: refused with a notice when no port is open.
void wait_ms(int ms);
void wait_us(int us);
int port_in(int address);              // 0..255, or -1 when refused
void port_out(int address, int value); // the value -1 is refused

// The running light on DR; DR shows its earlier value afterwards. -1 without a port.
int run_led_test(int base);
// Sets or clears CR bit 5, the PS/2 data direction bit. -1 without a port.
int set_data_direction(int base, int flag);

} // namespace lumivex::port
