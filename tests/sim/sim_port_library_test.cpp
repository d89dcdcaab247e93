// The simulated port library installed as drv/PORT.DLL, loaded as the program loads it and run
// on the instant clock; the tests see the display through the state the library publishes.
#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/sim/published_state.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <fcntl.h>
#include <fstream>
#include <memory>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lumivex;
using sim::PublishedState;
constexpr int lpt1 = lpt::lpt1_base_address;
constexpr int lpt2 = lpt::lpt2_base_address;

namespace {

class SimPortLibrary : public CoreTest {
protected:
    SimPortLibrary() {
        port::use_library_loader(port::system_library_loader());
        folder.install_port_library(SIM_PORT_LIBRARY);
        configure();
    }
    void configure() const {
        setenv("LUMIVEX_SIM_STATE", state_name.c_str(), 1);
        setenv("LUMIVEX_SIM_CLOCK", "instant", 1);
    }
    ~SimPortLibrary() override {
        for (const char* name : {"LUMIVEX_SIM_STATE", "LUMIVEX_SIM_CLOCK", "LUMIVEX_SIM_PANEL"})
            unsetenv(name);
        shm_unlink(state_name.c_str());
    }

    // What the library published, whole: nothing writes while a test reads.
    std::unique_ptr<PublishedState> published() const {
        auto copy = std::make_unique<PublishedState>();
        const int fd = shm_open(state_name.c_str(), O_RDONLY, 0);
        struct stat info {};
        EXPECT_TRUE(fstat(fd, &info) == 0 && pread(fd, copy.get(), sizeof *copy, 0) > 0 &&
                    sim::is_valid(*copy, static_cast<std::size_t>(info.st_size)));
        close(fd);
        return copy;
    }
    // Cuts the published object to size bytes, or makes it longer, as anyone may.
    void cut_block(off_t size) const { EXPECT_EQ(truncate(block_file.c_str(), size), 0); }
    // Opens the port and expects the library to refuse, saying why on stderr and in the notice.
    void expect_refusal(const std::string& why) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(port::open_port(lpt1), port::device_not_opened);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "lumivex sim: " + why + "\n");
        EXPECT_EQ(notice_texts(),
                  std::vector<std::string>{"Err3 - Can't open LPT1!\nlumivex sim: " + why});
        notices.shown.clear();
    }

    RunFolder folder;
    const std::string state_name = "/lumivex-sim-test-" + folder.path().filename().string();
    const std::string block_file = "/dev/shm" + state_name;
};

// The program's 4-bit bus cycles on the model, with reads between the writes.
TEST_F(SimPortLibrary, ProgramDrivesTheModelWithoutATimingViolation) {
    open_lpt1();
    display::initialise_display(display::BusWidth::four_bit);
    display::write_cycle(display::write_instruction, 0xC5);
    EXPECT_EQ(display::read_cycle(display::read_busy_flag_and_address), 0x45);
    display::write_cycle(display::write_data, 'B');
    display::write_cycle(display::write_instruction, 0xC5);
    EXPECT_EQ(display::read_cycle(display::read_data), 'B');
    const auto state = published();
    EXPECT_EQ(state->display.address_counter, 0x46);
    EXPECT_EQ(state->timing_violations, 0u);
}

// Every refusal fails OPENCOM, so the dialog reports the port; the library says why.
TEST_F(SimPortLibrary, RefusesSettingsItCannotFollow) {
    const std::string long_name = "/" + std::string(299, 'x');
    const struct {
        const char* variable;
        std::string value, why;
    } cases[] = {
        {"LUMIVEX_SIM_STATE", "noslash", "a shared-memory name starts with \"/\""},
        {"LUMIVEX_SIM_STATE", "/a/b/c", "a shared-memory name has no \"/\" after its first"},
        {"LUMIVEX_SIM_STATE", long_name,
         "a shared-memory name has at most 255 characters after its \"/\""},
        {"LUMIVEX_SIM_VCD", "/nonexistent/dir/x.vcd",
         "cannot create the file: No such file or directory"},
        {"LUMIVEX_SIM_PANEL", "17x3",
         "not a panel; accepted: 8x1, 16x1, 16x2, 16x4, 20x2, 20x4, 24x2, 40x2"},
        {"LUMIVEX_SIM_CLOCK", "fast", "not a clock; accepted: instant, real"}};
    for (const auto& c : cases) {
        setenv(c.variable, c.value.c_str(), 1);
        expect_refusal(std::string(c.variable) + " \"" + c.value + "\": " + c.why);
        unsetenv(c.variable);
        configure();
    }
    open_lpt1(); // every one of them was taken back
}

TEST_F(SimPortLibrary, ABlockOfAnotherUserIsNeitherWrittenNorRead) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a block to another user needs root";
    const int fd = shm_open(state_name.c_str(), O_CREAT | O_RDWR, 0666);
    ASSERT_EQ(fchown(fd, 65534, 65534), 0);
    close(fd);
    expect_refusal("LUMIVEX_SIM_STATE \"" + state_name +
                   "\": the block belongs to user nobody (uid 65534), not to you");
    struct stat info {};
    EXPECT_TRUE(stat(block_file.c_str(), &info) == 0 && info.st_size == 0); // untouched
}

// Anyone may cut the block short or make it longer, before any access: the port works on, and
// the next port takes the block over whole.
TEST_F(SimPortLibrary, OutlivesItsBlockCutAtEveryStep) {
    open_lpt1();
    const off_t full = sizeof(PublishedState);
    int value = 0;
    for (const off_t size : {off_t{0}, off_t{13}, off_t{2328}, full - 1, full + 1, 4 * full}) {
        cut_block(size);
        port::port_out(lpt1, ++value);
        EXPECT_EQ(port::port_in(lpt1), value);
        port::wait_ms(1);
    }
    cut_block(0);
    port::close_port(lpt1);
    cut_block(7);
    open_lpt1();
    port::port_out(lpt1, 0x42);
    port::port_out(lpt1 + lpt::control_register, lpt::control_data_input | lpt::control_idle);
    EXPECT_EQ(port::port_in(lpt1), 0xFF); // input direction: the display's pull-ups
    const auto state = published();
    EXPECT_EQ(state->base_address, lpt1);
    EXPECT_EQ(state->leds, 0x42);
    EXPECT_EQ(state->events_total, 5u);
    EXPECT_EQ(state->character_rom[0xE7][9], 0x0E); // the ROM, descenders too
}

// A second program on the same name is refused, and told who writes, while the first (on a
// panel from the environment, reading its own block too) lives; it takes over the block once
// the first has died without closing it.
TEST_F(SimPortLibrary, OneWriterPerBlockUntilItDies) {
    setenv("LUMIVEX_SIM_PANEL", "20x4", 1);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        const char opened = port::open_port(lpt2) == port::opened ? 'y' : 'n';
        close(shm_open(state_name.c_str(), O_RDONLY, 0));
        if (write(ready[1], &opened, 1) == 1)
            for (;;)
                pause();
        _exit(1);
    }
    char opened = 0;
    ASSERT_TRUE(read(ready[0], &opened, 1) == 1 && opened == 'y');
    // The writer's name as the kernel gives it: the test's own, or qemu-user's under emulation.
    std::string name;
    std::getline(std::ifstream("/proc/self/comm"), name);
    expect_refusal("LUMIVEX_SIM_STATE \"" + state_name + "\": process " + std::to_string(writer) +
                   " (" + name +
                   ") publishes this block; close its port first or choose another name");
    const auto first = published(); // the first writer's block, untouched
    EXPECT_EQ(first->base_address, lpt2);
    EXPECT_EQ(first->columns, 20);
    EXPECT_EQ(first->row_start[2], 0x14);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    open_lpt1();
    EXPECT_EQ(published()->base_address, lpt1);
}

} // namespace
