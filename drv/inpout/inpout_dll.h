#pragma once

#include <optional>
#include <string>

namespace lumivex::inpout {

// Why InpOut32 cannot be used: the file or name at fault, and the reason.
struct DllFailure {
    std::string subject;
    std::string reason;
};

// The user's InpOut32 DLL, which reaches the PC's I/O ports through the kernel driver it
// installs.
class InpOutDll {
public:
    virtual ~InpOutDll() = default;
    // Loads the DLL and checks that its driver is open; nothing on success. Loading again
    // while loaded does nothing.
    virtual std::optional<DllFailure> load() = 0;
    // Lets the DLL go, the port as it is; nothing happens while it is not loaded.
    virtual void unload() = 0;
    virtual void out(unsigned address, int value) = 0;
    virtual int in(unsigned address) = 0; // the byte read
};

InpOutDll& system_inpout_dll();

} // namespace lumivex::inpout
