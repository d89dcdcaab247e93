#include "app/port_choice.h"
#include "app/run_folder.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <fstream>

using namespace lumivex;
using Arguments = std::vector<std::string>;

namespace {

const std::vector<std::string> names{"sim", "gpio", "i2c"};

// "port library[ as given][ VARIABLE=value[!]]..." ('!': replaces the variable), or the text.
std::string chosen(const Arguments& arguments, const std::string& setting = "") {
    const app::StartChoice c = app::choose_at_start(arguments, {"/u/lumivex.conf", setting}, names);
    if (c.action != app::StartAction::open_dialog)
        return c.text;
    std::string line = c.port + " " + c.library + (c.in_run_folder ? "" : " as given");
    for (const app::EnvironmentValue& e : c.environment)
        line += " " + e.variable + "=" + e.value + (e.replaces ? "!" : "");
    return line;
}

TEST(PortChoice, TheCommandLineComesFirstThenTheSettingThenDrvPortDll) {
    EXPECT_EQ(chosen({}), "sim drv/PORT.DLL");
    EXPECT_EQ(chosen({}, "\xEF\xBB\xBFport = i2c\r\n"), "i2c drv/i2c/PORT.DLL"); // Notepad's
    EXPECT_EQ(chosen({"--port=gpio"}, "port = gpoi"), "gpio drv/gpio/PORT.DLL");
    EXPECT_EQ(chosen({"--port=sim"}, "port = i2c"), "sim drv/PORT.DLL");
    EXPECT_EQ(chosen({"--port=my.SO"}), "my.SO ./my.SO as given"); // not the system's search
    EXPECT_EQ(chosen({}, "port = lib/gpio"), "lib/gpio lib/gpio as given");
    EXPECT_EQ(chosen({"--clock=instant", "--panel=20x4"}, "panel = 8x1\nclock = real"),
              "sim drv/PORT.DLL LUMIVEX_SIM_PANEL=20x4! LUMIVEX_SIM_CLOCK=instant!");
    EXPECT_EQ(chosen({}, "# mine\n\n  PANEL = 40x2  # wide\nport =\n"),
              "sim drv/PORT.DLL LUMIVEX_SIM_PANEL=40x2");
    EXPECT_EQ(chosen({"--chosen-port"}, "port = ./x.so"), "./x.so");
    EXPECT_EQ(chosen({"--chosen-port"}), "sim");
    EXPECT_NE(chosen({"--help", "--port=nope"}).find("\nPort libraries found: sim, gpio, i2c "),
              std::string::npos);
}

TEST(PortChoice, UnknownNamesArgumentsAndBadSettingsStopWithOneLine) {
    const std::string found = " (found: sim, gpio, i2c)";
    EXPECT_EQ(chosen({"--port=gpoi"}), "lumivex: no port library named \"gpoi\"" + found);
    EXPECT_EQ(chosen({}, "port = gpoi"),
              "lumivex: /u/lumivex.conf line 1: no port library named \"gpoi\"" + found);
    EXPECT_EQ(chosen({"--prot=i2c"}),
              "lumivex: unknown argument \"--prot=i2c\" (lumivex --help lists the options)");
    EXPECT_EQ(chosen({"--port"}), "lumivex: --port needs a value, as --port=NAME|PATH");
    EXPECT_EQ(chosen({"--panel=20"}), "lumivex: panel \"20\" is not WxH (columns x rows, as 16x2)");
    EXPECT_EQ(chosen({}, "# i2c\nport i2c"),
              "lumivex: /u/lumivex.conf line 2: expected key = value, not \"port i2c\"");
    EXPECT_EQ(chosen({"--port=i2c"}, "prot = i2c"),
              "lumivex: /u/lumivex.conf line 1: unknown key \"prot\" (keys: port, panel, clock)");
    EXPECT_EQ(chosen({}, "port = i2c\nport = gpio"),
              "lumivex: /u/lumivex.conf line 2: port is given twice");
    EXPECT_EQ(chosen({}, "clock = fast"),
              "lumivex: /u/lumivex.conf line 1: clock \"fast\" is neither real nor instant");
}

class ChosenPort : public CoreTest {};

// Names from both run folders; the chosen library is opened there, and the simulated port's
// variables are set as the precedence says.
TEST_F(ChosenPort, IsFoundInTheRunFoldersAndOpenedWithItsSettings) {
    RunFolder program, current;
    for (const char* folder : {"sim", "ppdev", "gpio", "empty"})
        std::filesystem::create_directory(current.path() / "drv" / folder);
    for (const char* file : {"PORT.DLL", "sim/PORT.DLL", "ppdev/PORT.DLL", "gpio/PORT.DLL"})
        std::ofstream(current.path() / "drv" / file);
    std::filesystem::create_directory(program.path() / "drv" / "i2c");
    std::ofstream(program.path() / "drv/i2c/PORT.DLL");
    std::ofstream(current.path() / "lumivex.conf") << "port = gpio\nclock = instant\n";
    app::set_program_folder(program.path().string());
    EXPECT_EQ(app::port_library_names(), (Arguments{"sim", "gpio", "i2c", "ppdev"}));

    setenv("LUMIVEX_SIM_CLOCK", "real", 1);
    const Arguments arguments{"--panel=20x4", "--port=i2c"};
    EXPECT_EQ(app::start_choice(arguments, "lumivex.conf").action, app::StartAction::open_dialog);
    EXPECT_EQ(port::open_port(lpt::lpt1_base_address), port::opened);
    EXPECT_EQ(trace.front(), "LOAD " + program.path().string() + "/drv/i2c/PORT.DLL");
    EXPECT_STREQ(std::getenv("LUMIVEX_SIM_PANEL"), "20x4");
    EXPECT_STREQ(std::getenv("LUMIVEX_SIM_CLOCK"), "real"); // the setting does not replace it
    app::apply_choice({});
    app::set_program_folder("");
    unsetenv("LUMIVEX_SIM_PANEL");
    unsetenv("LUMIVEX_SIM_CLOCK");
}

} // namespace
