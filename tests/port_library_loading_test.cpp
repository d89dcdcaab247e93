// The port module against a real shared object, loaded by the system loader from
// drv/PORT.DLL in the current directory.
#include "app/run_folder.h"
#include "app/shared_state.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <filesystem>
#include <fstream>

using namespace lumivex;
namespace fs = std::filesystem;

namespace {

class PortLibraryLoading : public CoreTest {
protected:
    PortLibraryLoading() { port::use_library_loader(port::system_library_loader()); }
    // Closed while the run folder is still the current directory: the fake logs there.
    ~PortLibraryLoading() override { port::close_port(lpt::lpt1_base_address); }

    void install(const std::string& variant) {
        folder.install_port_library(fs::path(FAKE_PORT_DIR) / ("fake_port_" + variant + ".so"));
    }
    static Trace calls() {
        Trace lines;
        std::ifstream log("port-calls.log");
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        return lines;
    }
    bool library_mapped() const {
        std::ifstream maps("/proc/self/maps");
        const std::string library = (folder.path() / "drv" / "PORT.DLL").string();
        for (std::string line; std::getline(maps, line);)
            if (line.find(library) != std::string::npos)
                return true;
        return false;
    }

    RunFolder folder;
};

TEST_F(PortLibraryLoading, OpenAndCloseReachTheLibraryAndUnloadIt) {
    install("full");
    std::ofstream("port-inport.txt") << "E4\n";
    EXPECT_EQ(port::open_port(0x378), port::opened);
    EXPECT_TRUE(library_mapped());
    EXPECT_EQ(port::close_port(0x378), 0);
    EXPECT_FALSE(library_mapped());
    EXPECT_EQ(calls(), (Trace{"OPENCOM LPT1:", dr(0x00), cr(0x0B), dr(0x00), inport(0x37A),
                              cr(0xEB), "CLOSECOM"}));
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortLibraryLoading, AbsentLibraryIsReported) {
    EXPECT_EQ(port::open_port(0x378), port::library_missing);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err1 - DLL-Error! - File not found!"});
}

TEST_F(PortLibraryLoading, LibraryWithoutAnExportIsRefusedAndUnloaded) {
    const std::pair<const char*, int> variants[] = {
        {"without_OPENCOM", 201}, {"without_CLOSECOM", 202}, {"without_DELAY", 203},
        {"without_DELAYUS", 204}, {"without_INPORT", 205},   {"without_OUTPORT", 206},
    };
    for (const auto& [variant, status] : variants) {
        SCOPED_TRACE(variant);
        install(variant);
        EXPECT_EQ(port::open_port(0x378), status);
        EXPECT_FALSE(library_mapped());
    }
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortLibraryLoading, DeviceThatDoesNotOpenIsReportedAndTheLibraryUnloaded) {
    install("full");
    std::ofstream("port-opencom-fails");
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err3 - Can't open LPT1!"});
    EXPECT_EQ(calls(), Trace{"OPENCOM LPT1:"});
    EXPECT_FALSE(library_mapped());
}

// The program started from elsewhere: its own folder is looked in first, the current one after.
TEST_F(PortLibraryLoading, TheProgramsOwnFolderComesBeforeTheCurrentOne) {
    const fs::path own = folder.path() / "program";
    fs::create_directories(own / "drv");
    fs::create_directories(own / "HELP");
    std::ofstream(own / "HELP" / "overview.htm");
    install("without_OPENCOM");
    app::set_program_folder(own.string());
    EXPECT_EQ(app::find_in_run_folder("HELP/overview.htm"), (own / "HELP/overview.htm").string());
    EXPECT_EQ(port::open_port(0x378), port::opencom_missing); // only the current folder has one
    fs::copy_file(fs::path(FAKE_PORT_DIR) / "fake_port_full.so", own / "drv" / "PORT.DLL");
    EXPECT_EQ(port::open_port(0x378), port::opened);
    app::set_program_folder("");
    EXPECT_EQ(app::find_in_run_folder("HELP/overview.htm"), "HELP/overview.htm");
}

} // namespace
