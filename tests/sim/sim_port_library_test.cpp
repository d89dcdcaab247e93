// The simulated port library as the program uses it: built as a shared object, installed as
// drv/PORT.DLL in a temporary folder, loaded by the system loader and run on the instant
// clock. The tests see the display through the state the library publishes.
#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "display/bus_cycles.h"
#include "display/commands.h"
#include "display/demo.h"
#include "display/initialisation.h"
#include "drv/sim/published_state.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lumivex;
using sim::PublishedState;
namespace fs = std::filesystem;

namespace {

class SimPortLibrary : public CoreTest {
protected:
    SimPortLibrary() {
        port::use_library_loader(port::system_library_loader());
        folder.install_port_library(SIM_PORT_LIBRARY);
        state_name = "/lumivex-sim-test-" + folder.path().filename().string();
        setenv("LUMIVEX_SIM_STATE", state_name.c_str(), 1);
        setenv("LUMIVEX_SIM_CLOCK", "instant", 1);
        unsetenv("LUMIVEX_SIM_PANEL");
        unsetenv("LUMIVEX_SIM_VCD");
    }
    ~SimPortLibrary() override {
        port::close_port(lpt::lpt1_base_address);
        for (const char* name :
             {"LUMIVEX_SIM_STATE", "LUMIVEX_SIM_CLOCK", "LUMIVEX_SIM_PANEL", "LUMIVEX_SIM_VCD"})
            unsetenv(name);
        shm_unlink(state_name.c_str());
    }

    // What the library published, whole: nothing writes while a test reads.
    std::unique_ptr<PublishedState> published() const {
        auto copy = std::make_unique<PublishedState>();
        const int fd = shm_open(state_name.c_str(), O_RDONLY, 0);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0) {
            ADD_FAILURE() << "nothing published as " << state_name;
            return copy;
        }
        EXPECT_EQ(pread(fd, copy.get(), sizeof *copy, 0), static_cast<ssize_t>(sizeof *copy));
        close(fd);
        EXPECT_TRUE(sim::is_valid(*copy, static_cast<std::size_t>(info.st_size)));
        EXPECT_EQ(copy->sequence % 2, 0u);
        return copy;
    }

    // Cuts the published object to size bytes, as anyone may.
    void cut_block(off_t size) const {
        const int fd = shm_open(state_name.c_str(), O_RDWR, 0);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, size), 0);
        close(fd);
    }

    void command(int index, const char* operand) {
        dialog.texts[dialog::operand_field] = operand;
        display::issue_selected_command(index);
    }

    RunFolder folder;
    std::string state_name;
};

TEST_F(SimPortLibrary, FourBitInitialisationLeavesTheDisplayClearedOnAndBlinking) {
    open_lpt1();
    display::initialise_display(display::BusWidth::four_bit);
    const auto state = published();
    const sim::PublishedDisplay& lcd = state->display;
    EXPECT_EQ(state->base_address, 0x378);
    EXPECT_EQ(state->columns, 16);
    EXPECT_EQ(state->rows, 2);
    EXPECT_TRUE(lcd.display_on && lcd.cursor_on && lcd.blink_on && lcd.two_lines);
    EXPECT_FALSE(lcd.eight_bit_interface || lcd.low_nibble_next || lcd.address_in_cgram);
    EXPECT_EQ(lcd.address_counter, 0);
    EXPECT_EQ(lcd.display_shift, 0);
    for (int column = 0; column < 16; ++column)
        for (int row = 0; row < 2; ++row)
            ASSERT_EQ(lcd.ddram[sim::visible_address(*state, row, column)], ' ');
    EXPECT_EQ(state->timing_violations, 0u);
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(SimPortLibrary, WriteDataAndReadBusyFlagAndAddressThroughTheCommandList) {
    open_lpt1();
    display::initialise_display(display::BusWidth::four_bit);
    command(0, "0100 0001");
    EXPECT_EQ(published()->display.ddram[0], 'A');
    command(3, "1100 0101"); // DDRAM address 0x45
    command(4, "0000 0000");
    EXPECT_EQ(dialog.texts[dialog::read_back_field], "0100 0101");
    command(0, "0100 0010"); // the nibbles are still in step after the read
    const auto state = published();
    EXPECT_EQ(state->display.ddram[0x45], 'B');
    EXPECT_EQ(state->display.address_counter, 0x46);
    EXPECT_EQ(state->timing_violations, 0u);
}

TEST_F(SimPortLibrary, DemoEndsWithTheFaceAtAddressZero) {
    open_lpt1();
    display::run_demo();
    const auto state = published();
    const sim::PublishedDisplay& lcd = state->display;
    EXPECT_EQ(lcd.ddram[0], 2);
    const std::uint8_t face[] = {0x0E, 0x1F, 0x15, 0x1F, 0x11, 0x1F, 0x0E, 0x00};
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(sim::glyph_row(*state, lcd.ddram[0], row), face[row]) << row;
    EXPECT_TRUE(lcd.display_on);
    EXPECT_FALSE(lcd.cursor_on || lcd.blink_on);
    EXPECT_EQ(lcd.address_counter, 0);
    EXPECT_EQ(state->timing_violations, 0u);
}

TEST_F(SimPortLibrary, FunctionSetChoosesTheTallFontOnlyWithOneLine) {
    open_lpt1();
    display::bus_width = display::BusWidth::eight_bit;
    const struct {
        int function_set;
        int tall;
    } cases[] = {{0x34, 1}, {0x3C, 0}, {0x30, 0}, {0x34, 1}, {0x38, 0}};
    for (const auto& c : cases) {
        display::write_cycle(display::write_instruction, c.function_set);
        const auto state = published();
        EXPECT_EQ(state->display.font_5x10, c.tall) << std::hex << c.function_set;
        EXPECT_EQ(sim::glyph_height(*state), c.tall != 0 ? 11 : 8);
    }
}

// CGRAM holds four tall glyphs at steps of 16 addresses, each shown by two codes; the ROM's
// codes from 0xE0 show their descenders, and only their top eight rows in the 5x8 font.
TEST_F(SimPortLibrary, TallFontShowsElevenRowGlyphsAndDescenders) {
    open_lpt1();
    display::bus_width = display::BusWidth::eight_bit;
    const std::uint8_t tall[11] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                   0x07, 0x08, 0x09, 0x0A, 0x0B};
    display::write_cycle(display::write_instruction, 0x34);
    display::write_cycle(display::write_instruction, 0x50); // glyph 1
    for (std::uint8_t row : tall)
        display::write_cycle(display::write_data, row);
    auto state = published();
    for (std::uint8_t code : {2, 3, 10, 11})
        for (int row = 0; row < 11; ++row)
            ASSERT_EQ(sim::glyph_row(*state, code, row), tall[row]) << int{code} << " " << row;
    EXPECT_EQ(sim::glyph_row(*state, 1, 0), 0x00);
    const std::uint8_t g[11] = {0x00, 0x00, 0x0F, 0x11, 0x11, 0x11, 0x0F, 0x01, 0x01, 0x0E, 0x00};
    for (int row = 0; row < 11; ++row)
        EXPECT_EQ(sim::glyph_row(*state, 0xE7, row), g[row]) << row;

    display::write_cycle(display::write_instruction, 0x38);
    state = published();
    EXPECT_EQ(sim::glyph_row(*state, 3, 0), tall[8]); // glyph 3 of 8 rows: addresses 24..31
    EXPECT_EQ(sim::glyph_row(*state, 0xE7, 7), 0x01);
    EXPECT_EQ(sim::glyph_row(*state, 0xE7, 8), 0x00);
}

TEST_F(SimPortLibrary, LedTestEndsWithTheDataRegisterAsBefore) {
    open_lpt1();
    port::port_out(0x378, 0x5A);
    const std::uint64_t start = published()->time_us;
    EXPECT_EQ(port::run_led_test(0x378), 0);
    const auto state = published();
    EXPECT_EQ(state->leds, 0x5A);
    EXPECT_EQ(state->data_register, 0x5A);
    EXPECT_GE(state->time_us - start, 7'300'000u); // waited on the virtual clock
}

TEST_F(SimPortLibrary, EveryAccessIsAnEventOnTheVirtualClock) {
    open_lpt1();
    port::wait_ms(3);
    EXPECT_EQ(port::port_in(0x37A), 0x0B);
    const auto state = published();
    ASSERT_EQ(state->events_total, 3u); // DR and CR cleared by open_port, then the read
    const sim::BusEvent& read = state->events[2];
    EXPECT_EQ(read.time_us, 3u + 3000u);
    EXPECT_EQ(read.offset, 2);
    EXPECT_EQ(read.value, 0x0B);
    EXPECT_EQ(read.kind, sim::port_read);
    EXPECT_EQ(state->events[1].value, 0x0B);
    EXPECT_EQ(state->events[1].kind, sim::port_write);
}

TEST_F(SimPortLibrary, PanelComesFromTheEnvironment) {
    setenv("LUMIVEX_SIM_PANEL", "20x4", 1);
    ASSERT_EQ(port::open_port(0x278), port::opened);
    const auto state = published();
    EXPECT_EQ(state->base_address, 0x278);
    EXPECT_EQ(state->columns, 20);
    EXPECT_EQ(state->rows, 4);
    EXPECT_EQ(state->row_start[2], 0x14);
    port::close_port(0x278);
    EXPECT_EQ(published()->base_address, 0);
}

// Every refusal fails OPENCOM, so the dialog reports the port, and says why in one line.
TEST_F(SimPortLibrary, RefusesSettingsItCannotFollow) {
    struct Case {
        const char* variable;
        std::string value;
        std::string why;
    };
    const std::string long_name = "/" + std::string(299, 'x');
    const std::vector<Case> cases = {
        {"LUMIVEX_SIM_STATE", "noslash", "a shared-memory name starts with \"/\""},
        {"LUMIVEX_SIM_STATE", "/a/b/c", "a shared-memory name has no \"/\" after its first"},
        {"LUMIVEX_SIM_STATE", long_name,
         "a shared-memory name has at most 255 characters after its \"/\""},
        {"LUMIVEX_SIM_VCD", "/nonexistent/dir/x.vcd",
         "cannot create the file: No such file or directory"},
        {"LUMIVEX_SIM_PANEL", "17x3",
         "not a panel; accepted: 8x1, 16x1, 16x2, 16x4, 20x2, 20x4, 24x2, 40x2"},
        {"LUMIVEX_SIM_CLOCK", "fast", "not a clock; accepted: instant, real"},
    };
    for (const Case& c : cases) {
        const std::string earlier =
            std::getenv(c.variable) != nullptr ? std::getenv(c.variable) : "";
        setenv(c.variable, c.value.c_str(), 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(port::open_port(lpt::lpt1_base_address), port::device_not_opened);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "lumivex sim: " + std::string(c.variable) + " \"" + c.value + "\": " + c.why +
                      "\n");
        EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err3 - Can't open LPT1!"});
        notices.shown.clear();
        setenv(c.variable, earlier.c_str(), 1);
    }
    open_lpt1(); // every one of them was taken back
}

TEST_F(SimPortLibrary, ABlockOfAnotherUserIsNeitherWrittenNorRead) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a block to another user needs root";
    const int fd = shm_open(state_name.c_str(), O_CREAT | O_RDWR, 0666);
    ASSERT_EQ(fchown(fd, 65534, 65534), 0);
    close(fd);
    testing::internal::CaptureStderr();
    EXPECT_EQ(port::open_port(lpt::lpt1_base_address), port::device_not_opened);
    const std::string owner = getpwuid(65534) != nullptr ? getpwuid(65534)->pw_name : "?";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex sim: LUMIVEX_SIM_STATE \"" + state_name + "\": the block belongs to user " +
                  owner + " (uid 65534), not to you\n");
    struct stat info {};
    ASSERT_EQ(stat(("/dev/shm" + state_name).c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0); // untouched
}

// Anyone may cut the block short or make it longer, before any access: the port works on.
TEST_F(SimPortLibrary, OutlivesItsBlockCutAtEveryStep) {
    open_lpt1();
    const off_t full = sizeof(PublishedState);
    int value = 0;
    for (const off_t size : {off_t{0}, off_t{13}, off_t{2328}, full - 1, full + 1, 4 * full}) {
        cut_block(size);
        port::port_out(0x378, ++value);
        EXPECT_EQ(port::port_in(0x378), value);
        port::wait_ms(1);
    }
    cut_block(0);
    port::close_port(0x378);
    cut_block(7);
    open_lpt1(); // the next port takes the block over whole
    port::port_out(0x378, 0x42);
    const auto state = published();
    EXPECT_EQ(state->base_address, 0x378);
    EXPECT_EQ(state->leds, 0x42);
    EXPECT_EQ(state->events_total, 3u);
    EXPECT_EQ(sim::glyph_row(*state, 'A', 0), 0x0E);
}

// A second program on the same name is refused while the first lives, and takes over the block
// once the first has died without closing it.
TEST_F(SimPortLibrary, OneWriterPerBlockUntilItDies) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        void* library = dlopen(SIM_PORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        const auto opencom = reinterpret_cast<PortOpencom>(dlsym(library, "OPENCOM"));
        const char opened = opencom("LPT2:") != 0 ? 'y' : 'n';
        if (write(ready[1], &opened, 1) == 1)
            for (;;)
                pause();
        _exit(1);
    }
    char opened = 0;
    ASSERT_EQ(read(ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');

    testing::internal::CaptureStderr();
    EXPECT_EQ(port::open_port(lpt::lpt1_base_address), port::device_not_opened);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex sim: LUMIVEX_SIM_STATE \"" + state_name + "\": process " +
                  std::to_string(writer) +
                  " (sim_tests) publishes this block; close its port first or choose another "
                  "name\n");
    EXPECT_EQ(published()->base_address, 0x278); // the first writer's block, untouched

    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    open_lpt1();
    EXPECT_EQ(published()->base_address, 0x378);
}

// The wires' levels at each E falling edge, from a value change dump.
std::vector<std::map<std::string, int>> levels_when_e_falls(const fs::path& file) {
    std::ifstream vcd(file);
    std::map<std::string, std::string> names; // identifier to wire
    std::map<std::string, int> levels;
    std::vector<std::map<std::string, int>> falls;
    for (std::string line; std::getline(vcd, line);) {
        char id = 0;
        char name[8] = {};
        if (std::sscanf(line.c_str(), "$var wire 1 %c %7s $end", &id, name) == 2)
            names[std::string(1, id)] = name;
        if (line.size() != 2 || (line[0] != '0' && line[0] != '1'))
            continue;
        const std::string wire = names[line.substr(1)];
        const int level = line[0] - '0';
        if (wire == "E" && level == 0 && levels["E"] == 1)
            falls.push_back(levels);
        levels[wire] = level;
    }
    return falls;
}

TEST_F(SimPortLibrary, VcdShowsTheEPulsesAndNibblesOfAFourBitWrite) {
    setenv("LUMIVEX_SIM_VCD", "bus.vcd", 1);
    open_lpt1();
    display::write_cycle(display::write_data, 0x4B);
    port::close_port(0x378);
    std::ifstream vcd("bus.vcd");
    std::string header((std::istreambuf_iterator<char>(vcd)), {});
    EXPECT_NE(header.find("$timescale 1us $end"), std::string::npos);
    EXPECT_NE(header.find("#0\n$dumpvars\n0a\n"), std::string::npos);

    const auto falls = levels_when_e_falls("bus.vcd");
    ASSERT_EQ(falls.size(), 2u);
    const auto nibble = [](const std::map<std::string, int>& at) {
        return at.at("D7") << 3 | at.at("D6") << 2 | at.at("D5") << 1 | at.at("D4");
    };
    EXPECT_EQ(nibble(falls[0]), 0x4);
    EXPECT_EQ(nibble(falls[1]), 0xB);
    EXPECT_EQ(falls[1].at("SR6"), 1); // SR 6..3 see D7..D4
    for (const auto& at : falls)
        EXPECT_TRUE(at.at("RS") == 1 && at.at("RW") == 0);
}

// The exports on their own, for what the program never asks.
TEST(SimPortExports, OpenOnlyLpt1OrLpt2AndAnswerOnlyAtTheOpenPort) {
    void* library = dlopen(SIM_PORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    const auto opencom = reinterpret_cast<PortOpencom>(dlsym(library, "OPENCOM"));
    const auto closecom = reinterpret_cast<PortClosecom>(dlsym(library, "CLOSECOM"));
    const auto inport = reinterpret_cast<PortInport>(dlsym(library, "INPORT"));
    const auto outport = reinterpret_cast<PortOutport>(dlsym(library, "OUTPORT"));
    EXPECT_EQ(dlsym(library, "_ZN7lumivex3sim7Hd44780C1Ev"), nullptr); // only the exports
    const std::string state_name = "/lumivex-sim-exports-" + std::to_string(getpid());
    setenv("LUMIVEX_SIM_STATE", state_name.c_str(), 1);

    EXPECT_EQ(opencom("LPT3:"), 0);
    EXPECT_EQ(opencom(nullptr), 0);
    EXPECT_EQ(inport(0x378), 0xFF);
    EXPECT_NE(opencom("LPT2:"), 0);
    EXPECT_EQ(inport(0x27A), 0x0B);
    EXPECT_EQ(inport(0x379), 0xFF);
    outport(0x378, 0x12);
    outport(0x278, 0x34);
    EXPECT_EQ(inport(0x278), 0x34);
    closecom();
    EXPECT_EQ(inport(0x278), 0xFF);
    EXPECT_NE(opencom("LPT1:"), 0);
    EXPECT_EQ(inport(0x378), 0x00);
    closecom();
    unsetenv("LUMIVEX_SIM_STATE");
    shm_unlink(state_name.c_str());
    dlclose(library);
}

} // namespace
