#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "callers_console.h"
#include "command_line.h"
#include "console_text.h"
#include "display.h"
#include "exit_codes.h"
#include "frm_main.h"
#include "message_box.h"
#include "system_device_inventory.h"
#include "tervalink_version.h"
#include "text_rendering.h"

namespace {

constexpr const char* usage_text =
    "usage: tervalink [--help | --version]\n"
    "Opens the Tervalink window, which loads satellite reception data into the antenna unit over\n"
    "a serial line. The window takes no other arguments. A sample data file is installed as\n"
    TERVALINK_SAMPLE_DATA_NOTE ".\n";

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args = tervalink::command_line_arguments(argc, argv);
    if (!args.empty())
        tervalink::use_callers_console();
    const tervalink::ConsoleText console_text;
    // Answered before looking for a display, so that they work over ssh and in package scripts.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << usage_text << std::flush;
        return EXIT_SUCCESS;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "tervalink " TERVALINK_VERSION "\n" << std::flush;
        return EXIT_SUCCESS;
    }
    // Every run starts from the window's defaults; an argument would suggest otherwise.
    if (!args.empty()) {
        std::cerr << "tervalink: unexpected argument \"" << args[0]
                  << "\" (only --help and --version are understood)\n";
        return tervalink::frames_tool::exit_bad_arguments;
    }
    if (!tervalink::display_available()) {
        std::cerr << "tervalink needs a graphical session (no display found); start it from a "
                     "desktop session\n";
        return EXIT_FAILURE;
    }
    tervalink::choose_text_rendering();
    QApplication application(argc, argv);
    QApplication::setApplicationName(tervalink::application_title);
    tervalink::SystemDeviceInventory inventory;
    tervalink::frmMain window({inventory});
    window.show();
    return QApplication::exec();
}
