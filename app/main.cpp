#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "console.h"
#include "display.h"
#include "frm_main.h"
#include "message_box.h"
#include "system_device_inventory.h"
#include "tervalink_version.h"
#include "text_rendering.h"

namespace {

constexpr int exit_bad_arguments = 2;

constexpr const char* usage_text =
    "usage: tervalink [--help | --version]\n"
    "Opens the Tervalink window, which loads satellite reception data into the antenna unit over\n"
    "a serial line. The window takes no other arguments. A sample data file is installed as\n"
    TERVALINK_SAMPLE_DATA_NOTE ".\n";

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1)
        tervalink::use_callers_console();
    // Answered before looking for a display, so that they work over ssh and in package scripts.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage_text, stdout);
        return EXIT_SUCCESS;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("tervalink " TERVALINK_VERSION);
        return EXIT_SUCCESS;
    }
    // Every run starts from the window's defaults; an argument would suggest otherwise.
    if (argc > 1) {
        std::fprintf(stderr, "tervalink: unexpected argument \"%s\" (only --help and --version are "
                             "understood)\n",
                     argv[1]);
        return exit_bad_arguments;
    }
    if (!tervalink::display_available()) {
        std::fputs("tervalink needs a graphical session (no display found); start it from a "
                   "desktop session\n",
                   stderr);
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
