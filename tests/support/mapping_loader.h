#pragma once

#include "port/library_loader.h"
#include "port/port_library.h"

#include <string>

// The port-library exports over a port library's register mapping in this process, for the
// program's core to drive: any type with bool open(name), close(), int read(address) and
// write(address, value). The waits return at once. One loader at a time.
template <typename Mapping> class MappingLoader final : public lumivex::port::LibraryLoader {
public:
    explicit MappingLoader(Mapping& mapping) { mapping_ = &mapping; }
    ~MappingLoader() override { mapping_ = nullptr; }

    lumivex::port::LibraryHandle load(const char*) override { return this; }
    lumivex::port::LibrarySymbol find(lumivex::port::LibraryHandle, const char* name) override {
        const std::string wanted = name;
        if (wanted == "OPENCOM")
            return reinterpret_cast<lumivex::port::LibrarySymbol>(&opencom);
        if (wanted == "CLOSECOM")
            return reinterpret_cast<lumivex::port::LibrarySymbol>(&closecom);
        if (wanted == "DELAY" || wanted == "DELAYUS")
            return reinterpret_cast<lumivex::port::LibrarySymbol>(&wait);
        if (wanted == "INPORT")
            return reinterpret_cast<lumivex::port::LibrarySymbol>(&inport);
        return reinterpret_cast<lumivex::port::LibrarySymbol>(&outport);
    }
    void release(lumivex::port::LibraryHandle) override {}

private:
    static int32_t PORT_LIBRARY_CALL opencom(const char* name) { return mapping_->open(name); }
    static int32_t PORT_LIBRARY_CALL closecom() {
        mapping_->close();
        return 1;
    }
    static int32_t PORT_LIBRARY_CALL wait(int32_t) { return 0; }
    static int32_t PORT_LIBRARY_CALL inport(int32_t address) { return mapping_->read(address); }
    static int32_t PORT_LIBRARY_CALL outport(int32_t address, int32_t value) {
        mapping_->write(address, value);
        return 0;
    }

    static inline Mapping* mapping_ = nullptr;
};
