// Writes the control dialog's resource script to the file named on the command line. Runs on
// the build machine, so that the Windows resource comes from the same table as every dialog.
#include "ui/win32/dialog_resource.h"

#include <fstream>
#include <iostream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: write_dialog_resource OUTPUT.rc\n";
        return 2;
    }
    std::ofstream script(argv[1]);
    lumivex::win32::write_dialog_resource(script, lumivex::dialog::control_dialog());
    script.close();
    if (!script) {
        std::cerr << "write_dialog_resource: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
