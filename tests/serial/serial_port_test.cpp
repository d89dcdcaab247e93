#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/serial/serial_port.h"
#include "firmware/arduino/lumivex/protocol.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <deque>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;
constexpr unsigned rw_line = 1u << LUMIVEX_LINE_RW;

// A board as the sketch answers over its link (protocol.h), opened by name. Records each command
// that reaches the pins, "L mask levels" and "D mask outputs" in hex, "R", "U us", "M ms", and
// "conflict" whenever a data line is an output while R/W is high. It overflows ("overflow")
// when the host has more bytes unconfirmed than its 64-byte buffer holds. Input lines read as
// the display drives them (`display`).
class FakeBoard final : public serial::SerialTransport {
public:
    Calls calls;
    std::vector<std::string> ports = {"/dev/ttyACM0"};
    std::map<std::string, int> open_errors;
    int write_error = 0;
    bool silent = false;        // a sketch that hangs
    int ignored_identifies = 2; // while the bootloader runs
    std::uint8_t version = LUMIVEX_PROTOCOL_VERSION;
    std::array<std::uint8_t, 11> pins = {6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11};
    std::deque<unsigned> display;
    unsigned levels = 0, outputs = 0;

    std::vector<std::string> candidates() override { return ports; }
    int open(const std::string& name) override {
        calls.push_back("open " + name);
        return open_errors[name];
    }
    void close() override { calls.push_back("close"); }
    int write(std::span<const std::uint8_t> bytes) override {
        if (write_error != 0)
            return write_error;
        received.insert(received.end(), bytes.begin(), bytes.end());
        total += bytes.size();
        if (total - confirmed > 64)
            calls.push_back("overflow");
        while (!received.empty() && received.size() >= length(received[0]))
            run();
        return 0;
    }
    int read(std::span<std::uint8_t> bytes, std::chrono::milliseconds,
             std::size_t& count) override {
        count = silent ? 0 : std::min(bytes.size(), answers.size());
        std::copy_n(answers.begin(), count, bytes.begin());
        answers.erase(answers.begin(), answers.begin() + count);
        for (answered += count; !syncs.empty() && syncs.front().first <= answered;
             syncs.pop_front())
            confirmed = syncs.front().second;
        return 0;
    }

private:
    static std::size_t length(std::uint8_t opcode) {
        return std::string_view("LD").find(opcode) != std::string_view::npos    ? 5
               : std::string_view("UMW").find(opcode) != std::string_view::npos ? 3
               : std::string_view("QS").find(opcode) != std::string_view::npos  ? 2
                                                                                : 1;
    }
    void run() {
        const std::uint8_t opcode = received[0];
        const auto word = [&](int at) { return unsigned(received[at] | received[at + 1] << 8); };
        char text[32] = "";
        if (opcode == 'L' || opcode == 'D') {
            unsigned& state = opcode == 'L' ? levels : outputs;
            state = (state & ~word(1)) | (word(3) & word(1));
            std::snprintf(text, sizeof text, "%c %03X %03X", opcode, word(1), word(3));
        } else if (opcode == 'U' || opcode == 'M')
            std::snprintf(text, sizeof text, "%c %u", opcode, word(1));
        else if (opcode == 'R') {
            const unsigned driven = display.empty() ? 0 : display.front();
            display.pop_front();
            const unsigned read = (levels & outputs) | (driven & ~outputs);
            answers.insert(answers.end(), {'r', std::uint8_t(read), std::uint8_t(read >> 8)});
            text[0] = 'R';
        } else if (opcode == 'I' && ignored_identifies-- <= 0) {
            answers.insert(answers.end(),
                           {'i', 'L', 'V', 'X', version, LUMIVEX_MODE_PINS, 0, 64, 0});
            answers.insert(answers.end(), pins.begin(), pins.end());
        } else if (opcode == 'S') {
            answers.insert(answers.end(), {'s', received[1], 0});
            syncs.emplace_back(answered + answers.size(), total - received.size() + 2);
        } else if (opcode == 'I')
            answers.push_back(0x14); // the bootloader's own answers do not count
        if (text[0] != 0)
            calls.push_back(text);
        if ((outputs & 0xFF & pins_wired()) != 0 && (levels & outputs & rw_line) != 0)
            calls.push_back("conflict");
        received.erase(received.begin(), received.begin() + length(opcode));
    }
    unsigned pins_wired() const {
        unsigned wired = 0;
        for (int line = 0; line < 11; ++line)
            wired |= pins[line] != 0xFF ? 1u << line : 0;
        return wired;
    }

    std::deque<std::uint8_t> received, answers;
    std::size_t total = 0, confirmed = 0, answered = 0;    // bytes received, and answers read
    std::deque<std::pair<std::size_t, std::size_t>> syncs; // answered by, bytes received by then
};

using SerialMapping = PortMappingTest<FakeBoard, serial::SerialPort>;
const serial::BoardDevices automatic{{}, {}, {}};

// Opening restarts the board: the library asks until the sketch answers past the bootloader,
// then makes the control lines low outputs before the data lines.
TEST_F(SerialMapping, TheBoardIsFoundAndItsLinesFollowTheRegisters) {
    device.ports = {"/dev/ttyACM0", "/dev/ttyUSB0"};
    device.open_errors["/dev/ttyACM0"] = EBUSY;
    ASSERT_TRUE(mapping.open("LPT1:", automatic)) << mapping.error();
    EXPECT_EQ(device.calls, (Calls{"open /dev/ttyACM0", "close", "open /dev/ttyUSB0", "L 7FF 000",
                                   "D 700 700", "D 0FF 0FF"}));
    device.calls.clear();
    device.display = {1 << 7 | 1 << 4}; // busy, and D4
    mapping.write(0x378, 0x81);
    mapping.write(0x37A, 0x0A); // R/W high: the data lines are let go first
    mapping.write(0x37A, 0x0E); // E high
    EXPECT_EQ(replay({inport(0x379), inport(0x37A)}, mapping), (std::vector{0x4F, 0x0E}));
    mapping.write(0x37A, 0x0B); // E, then R/W low: the data lines are driven again
    mapping.pause(std::chrono::microseconds(40));
    mapping.pause(std::chrono::microseconds(70'500));
    EXPECT_EQ(device.calls,
              (Calls{"L 081 081", "D 0FF 000", "L 7FF 281", "L 400 400", "R", "L 400 000",
                     "L 7FF 081", "D 0FF 0FF", "U 40", "M 70", "U 500"}));
    // The core's LED test, initialisation and a busy-flag read, without a pause for the board's
    // buffer to empty: the library never sends more than it holds, and never drives against
    // the display.
    device.calls.clear();
    const Trace trace = core_trace([] {
        port::run_led_test(lpt::lpt1_base_address);
        display::initialise_display(display::BusWidth::eight_bit);
        display::read_cycle(display::read_busy_flag_and_address);
    });
    replay(trace, mapping);
    mapping.close();
    EXPECT_EQ(std::count(device.calls.begin(), device.calls.end(), "overflow"), 0);
    EXPECT_EQ(std::count(device.calls.begin(), device.calls.end(), "conflict"), 0);
    EXPECT_GT(device.calls.size(), 40u);
    EXPECT_EQ(device.calls.back(), "close");
}

// On a 4-bit tutorial wiring (R/W on ground, D0..D3 unwired) those lines are never driven and
// the data lines stay outputs: reads give what DR drives.
TEST_F(SerialMapping, UnwiredLinesAreLeftAlone) {
    device.pins = {0xFF, 0xFF, 0xFF, 0xFF, 5, 4, 3, 2, 12, 0xFF, 11};
    ASSERT_TRUE(mapping.open("LPT1:", automatic));
    mapping.write(0x378, 0xF5);
    mapping.write(0x37A, 0x2A);
    EXPECT_EQ(replay({inport(0x379), inport(0x378)}, mapping), (std::vector{0x7F, 0xF5}));
    EXPECT_EQ(device.calls,
              (Calls{"open /dev/ttyACM0", "L 5F0 000", "D 500 500", "D 0F0 0F0", "L 0F0 0F0"}));
}

TEST_F(SerialMapping, EveryFailureSaysWhy) {
    const serial::BoardDevices named{{"/dev/ttyUSB3"}, {}, {"/home/me/serial.conf", ""}};
    const std::tuple<const char*, const char*, int, int> cases[] = {
        {"COM1:: unknown device name (LPT1: or LPT2:)", "COM1:", 0, 1},
        {"LPT2:: no second board; give one under [LPT2] in /home/me/serial.conf", "LPT2:", 0, 1},
        {"/dev/ttyUSB3: permission denied; add your user to the group dialout (usermod -aG "
         "dialout $USER) and log in again",
         "LPT1:", EACCES, 1},
        {"/dev/ttyUSB3: in use by another program (a serial monitor, another Lumivex); close it "
         "first",
         "LPT1:", EBUSY, 1},
        {"/dev/ttyUSB3: no answer from the Lumivex sketch; open firmware/arduino/lumivex/"
         "lumivex.ino in the Arduino IDE and upload it to the board",
         "LPT1:", 0, 99},
        {"/dev/ttyUSB3: the board runs the Lumivex sketch of protocol version 0, this port library "
         "needs version 1; open firmware/arduino/lumivex/lumivex.ino in the Arduino IDE and upload "
         "it to the board",
         "LPT1:", 0, 0},
    };
    for (const auto& [error, name, open_error, ignored] : cases) {
        device.open_errors["/dev/ttyUSB3"] = open_error;
        device.ignored_identifies = ignored;
        device.version = ignored == 0 ? 0 : LUMIVEX_PROTOCOL_VERSION;
        EXPECT_FALSE(mapping.open(name, named));
        EXPECT_EQ(mapping.error(), std::string("lumivex serial: ") + error);
    }
    device.ports = {"/dev/ttyACM0", "/dev/ttyUSB0"};
    device.open_errors = {{"/dev/ttyACM0", ENOENT}, {"/dev/ttyUSB0", EIO}};
    EXPECT_FALSE(mapping.open("LPT1:", automatic));
    EXPECT_EQ(mapping.error(), "lumivex serial: auto: no board answered as the Lumivex sketch "
                               "(/dev/ttyACM0: no such serial port (is the board plugged in?); "
                               "/dev/ttyUSB0: Input/output error)");
    device.ports.clear();
    EXPECT_FALSE(mapping.open("LPT1:", automatic));
    EXPECT_EQ(mapping.error(), "lumivex serial: auto: no serial port found (/dev/ttyACM*, "
                               "/dev/ttyUSB*, COM1..COM32); is the board plugged in?");
}

// The board unplugged mid-run: one line, then nothing is sent until the port is opened again.
TEST_F(SerialMapping, ABoardThatHasGoneIsToldOnce) {
    ASSERT_TRUE(mapping.open("LPT1:", automatic));
    device.write_error = EIO;
    testing::internal::CaptureStderr();
    mapping.write(0x378, 0x01);
    mapping.write(0x378, 0x02);
    mapping.pause(std::chrono::milliseconds(1));
    EXPECT_EQ(replay({inport(0x379), inport(0x37A)}, mapping), (std::vector{0xFF, 0xFF}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex serial: /dev/ttyACM0: the board stopped answering (Input/output error); "
              "nothing reaches the board until the port is opened again\n");
    // A board that no longer answers a read is given up the same way.
    device.write_error = 0;
    ASSERT_TRUE(mapping.open("LPT1:", automatic));
    mapping.write(0x37A, 0x0A);
    device.silent = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(replay({inport(0x379), inport(0x379)}, mapping), (std::vector{0xFF, 0xFF}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex serial: /dev/ttyACM0: the board did not answer within 1000 ms; nothing "
              "reaches the board until the port is opened again\n");
}

TEST_F(SerialMapping, TheLibraryRefusesWithOneLine) {
    EXPECT_EQ(refusal(SERIAL_PORT_LIBRARY, {{"drv/serial.conf", "device = /nonexistent/tty"}}),
              "lumivex serial: /nonexistent/tty: no such serial port (is the board plugged in?); "
              "to configure your hardware, copy <run>/drv/serial.conf to "
              "<run>/config/lumivex/serial.conf and edit it\n");
    std::string error;
    EXPECT_EQ(serial::parse_board_devices("device = ttyUSB1\n[LPT2]\ndevice = com4", error)->lpt2,
              serial::BoardDevice{"com4"});
    EXPECT_FALSE(serial::parse_board_devices("port = COM1", error));
    EXPECT_EQ(error, "line 1: unknown key port (device)");
}

} // namespace
