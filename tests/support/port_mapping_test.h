#pragma once

#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <cstdio>
#include <fstream>
#include <map>

// The whole text of the file at `path`; empty when there is none.
inline std::string file_text(const char* path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

// For the tests of a port library's `Mapping` of the parallel port's registers onto a `Device`.
template <typename Device, typename Mapping> class PortMappingTest : public CoreTest {
protected:
    Device device;
    Mapping mapping{device};

    // The calls the core makes at LPT1 for `sequence`; INPORT answers an idle port's CR.
    template <typename Sequence> Trace core_trace(Sequence sequence) {
        open_lpt1();
        port.inport_default = lumivex::lpt::control_idle;
        sequence();
        const Trace made = trace;
        lumivex::port::close_port(lumivex::lpt::lpt1_base_address);
        return made;
    }

    // The trace's accesses done on `mapping`, "OUTPORT address value" as a write and "INPORT
    // address" as a read; what its reads gave.
    static std::vector<int> replay(const Trace& trace, Mapping& mapping) {
        std::vector<int> reads;
        for (const std::string& line : trace) {
            unsigned address = 0, value = 0;
            if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) == 2)
                mapping.write(static_cast<int>(address), static_cast<int>(value));
            else if (std::sscanf(line.c_str(), "INPORT %X", &address) == 1)
                reads.push_back(mapping.read(static_cast<int>(address)));
        }
        return reads;
    }

    // What `library`, installed in a run folder with `files` (paths in the folder, and their
    // texts), writes to standard error when the program opens LPT1 on it and is refused ("<run>":
    // the folder); the notice shows the same line below its own. The user's configuration folder
    // is <run>/config.
    std::string refusal(const char* library, const std::map<std::string, std::string>& files) {
        const RunFolder folder;
        folder.install_port_library(library);
        for (const auto& [path, text] : files) {
            std::filesystem::create_directories((folder.path() / path).parent_path());
            std::ofstream(folder.path() / path) << text;
        }
        setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);
        lumivex::port::use_library_loader(lumivex::port::system_library_loader());
        notices.shown.clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(lumivex::port::open_port(lumivex::lpt::lpt1_base_address),
                  lumivex::port::device_not_opened);
        std::string output = testing::internal::GetCapturedStderr();
        unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err3 - Can't open LPT1!\n" +
                                                           output.substr(0, output.find('\n'))});
        for (std::size_t at; (at = output.find(folder.path().string())) != std::string::npos;)
            output.replace(at, folder.path().string().size(), "<run>");
        return output;
    }
};
