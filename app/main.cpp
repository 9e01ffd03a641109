#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "frm_main.h"
#include "message_box.h"
#include "qt_device_inventory.h"

namespace {

// Without a display QApplication aborts with several lines of its own; one clear line is better.
bool display_available()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!display_available()) {
        std::fputs("tervalink needs a graphical session (no display found); start it from a "
                   "desktop session\n",
                   stderr);
        return EXIT_FAILURE;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(tervalink::application_title);
    tervalink::QtDeviceInventory inventory;
    tervalink::frmMain window({inventory});
    window.show();
    return QApplication::exec();
}
