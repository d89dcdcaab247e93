#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/serial/serial_port.h"
#include "firmware/arduino/lumivex/protocol.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;
constexpr unsigned rw_line = 1u << LUMIVEX_LINE_RW;

// A board as the sketch answers over its link (protocol.h), opened by name. Records each command
// that reaches the pins, "L mask levels" and "D mask outputs" in hex, "R", "U us", "M ms", "W
// address value", "Q address". Fails the test when a data line is an output while R/W is high,
// or when the host has more bytes unconfirmed than the board's 64-byte buffer holds. Input lines
// read as the display drives them (`display`).
class FakeBoard final : public serial::SerialTransport {
public:
    Calls calls;
    std::map<std::string, int> open_errors;
    int write_error = 0;
    bool silent = false;        // a sketch that hangs
    int ignored_identifies = 2; // while the bootloader runs
    std::uint8_t version = LUMIVEX_PROTOCOL_VERSION, mode = LUMIVEX_MODE_PINS;
    std::uint8_t nack = 0, sticky = 0; // the PCF8574 does not acknowledge; the board's status
    std::array<std::uint8_t, 11> pins = {6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11};
    std::deque<unsigned> display;
    unsigned levels = 0, outputs = 0;

    std::vector<std::string> candidates() override { return {"/dev/ttyACM0", "/dev/ttyUSB0"}; }
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
            ADD_FAILURE() << "the board's buffer overflows";
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
    static std::size_t length(std::uint8_t op) {
        return op == 'L' || op == 'D'                ? 5
               : op == 'U' || op == 'M' || op == 'W' ? 3
                                                     : 2 - (op != 'Q' && op != 'S');
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
        else if (opcode == 'W' || opcode == 'Q') {
            std::snprintf(text, sizeof text, opcode == 'W' ? "W %02X %02X" : "Q %02X", received[1],
                          opcode == 'W' ? received[2] : 0);
            if (opcode == 'Q')
                answers.insert(answers.end(), {'q', nack, 0xFF});
            sticky |= nack;
        } else if (opcode == 'R') {
            const unsigned read =
                (levels & outputs) | (display.empty() ? 0 : display.front() & ~outputs);
            if (!display.empty())
                display.pop_front();
            answers.insert(answers.end(), {'r', std::uint8_t(read), std::uint8_t(read >> 8)});
            text[0] = 'R';
        } else if (opcode == 'I' && ignored_identifies-- <= 0) {
            answers.insert(answers.end(), {'i', 'L', 'V', 'X', version, mode, 0x3F, 64, 0});
            answers.insert(answers.end(), pins.begin(), pins.end());
        } else if (opcode == 'S') {
            answers.insert(answers.end(), {'s', received[1], std::exchange(sticky, 0)});
            syncs.emplace_back(answered + answers.size(), total - received.size() + 2);
        } else if (opcode == 'I') {
            answers.push_back(0x14); // the bootloader answers its own way, and drops the bytes
            confirmed = total;
        }
        if (text[0] != 0)
            calls.push_back(text);
        if ((outputs & 0xFF) != 0 && (levels & outputs & rw_line) != 0)
            ADD_FAILURE() << "a data line is driven while R/W is high";
        received.erase(received.begin(), received.begin() + length(opcode));
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
    const auto refused = [&](int open_error, int ignored_identifies, std::uint8_t version) {
        device.open_errors["/dev/ttyUSB3"] = open_error;
        device.ignored_identifies = ignored_identifies;
        device.version = version;
        EXPECT_FALSE(mapping.open("LPT1:", {{"/dev/ttyUSB3"}, {}, {"/home/me/serial.conf", ""}}));
        return mapping.error().substr(std::strlen("lumivex serial: /dev/ttyUSB3: "));
    };
    const std::string upload =
        "open firmware/arduino/lumivex/lumivex.ino in the Arduino IDE and upload it to the board";
    EXPECT_EQ(refused(EBUSY, 1, 1),
              "in use by another program (a serial monitor, another Lumivex); close it first");
    EXPECT_EQ(refused(0, 99, 1), "no answer from the Lumivex sketch; " + upload);
    EXPECT_EQ(refused(0, 0, 0), "the board runs the Lumivex sketch of protocol version 0, this "
                                "port library needs version 1; " +
                                    upload);
    device.open_errors = {{"/dev/ttyACM0", EIO}, {"/dev/ttyUSB0", EACCES}};
    EXPECT_FALSE(mapping.open("LPT1:", automatic));
    EXPECT_EQ(mapping.error(),
              "lumivex serial: auto: no board answered as the Lumivex sketch "
              "(/dev/ttyACM0: Input/output error; /dev/ttyUSB0: permission denied; "
              "add your user to the group dialout (usermod -aG dialout $USER) and "
              "log in again)");
    device.open_errors = {{"/dev/ttyACM0", ENOENT}, {"/dev/ttyUSB0", ENOENT}}; // unplugged
    EXPECT_FALSE(mapping.open("LPT1:", automatic));
    EXPECT_EQ(mapping.error(), "lumivex serial: auto: no serial port found (/dev/ttyACM*, "
                               "/dev/ttyUSB*); is the board plugged in?");
    // Installed, the sketch is named where the run folder keeps it.
    const RunFolder run;
    const auto sketch = run.path() / "firmware/arduino/lumivex/lumivex.ino";
    std::filesystem::create_directories(sketch.parent_path());
    std::ofstream{sketch};
    EXPECT_EQ(serial::sketch_path(run.path() / "drv/serial"), sketch.string());
    EXPECT_EQ(refusal(SERIAL_PORT_LIBRARY, {{"drv/serial.conf", "device = /nonexistent/tty"}}),
              "lumivex serial: /nonexistent/tty: no such serial port (is the board plugged in?); "
              "to configure your hardware, copy <run>/drv/serial.conf to "
              "<run>/config/lumivex/serial.conf and edit it\n");
    std::string error;
    EXPECT_EQ(serial::parse_board_devices("device = ttyUSB1\n[LPT2]\ndevice = com4", error)->lpt2,
              serial::BoardDevice{"com4"});
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
    // So is a board that lost bytes, as its next sync says.
    device.silent = false;
    ASSERT_TRUE(mapping.open("LPT1:", automatic));
    device.sticky = LUMIVEX_STATUS_OVERFLOW;
    testing::internal::CaptureStderr();
    for (int value = 0; value < 40; ++value)
        mapping.write(0x378, value);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex serial: /dev/ttyACM0: the board lost or refused commands (status 4); it "
              "may have set lines the program did not ask for; nothing reaches the board until "
              "the port is opened again\n");
}

// A sketch built for a backpack: the i2c library's mapping over the board's I2C commands, at the
// sketch's address; a device that stops acknowledging is told once.
TEST_F(SerialMapping, ABackpackSketchDrivesThePcf8574) {
    device.mode = LUMIVEX_MODE_BACKPACK;
    ASSERT_TRUE(mapping.open("LPT1:", automatic));
    mapping.write(0x37A, 0x0A); // R/W high: D7..D4 let go
    EXPECT_EQ(replay({inport(0x379), outport(0x37A, 0x0B)}, mapping), (std::vector{0x7F}));
    device.nack = LUMIVEX_STATUS_NACK;
    testing::internal::CaptureStderr();
    for (int value = 0; value < 40; ++value)
        mapping.write(0x378, value << 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex serial: /dev/ttyACM0: the device at 0x3F stopped answering (No such device "
              "or address); nothing reaches it until the port is opened again\n");
    EXPECT_EQ(Calls(device.calls.begin(), device.calls.begin() + 5),
              (Calls{"open /dev/ttyACM0", "Q 3F", "W 3F 08", "W 3F FA", "Q 3F"}));
    device.calls.clear();
    EXPECT_FALSE(mapping.open("LPT1:", automatic));
    EXPECT_EQ(mapping.error(), "lumivex serial: /dev/ttyACM0: no device answers at address 0x3F on "
                               "the board's A4 (SDA) and A5 (SCL); the sketch's backpack address "
                               "must match it");
    EXPECT_EQ(device.calls, (Calls{"close", "open /dev/ttyACM0", "Q 3F", "close"}));
}

} // namespace
