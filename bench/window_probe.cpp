// Renders the window for the README, reports when it is shown, for start-up timing, or shows it
// with its serial devices in a folder of the caller's, for driving it like a user.
//   tervalink_window_probe screenshot <file.png>
//   tervalink_window_probe startup   (prints the CLOCK_REALTIME nanoseconds at which it was shown)
//   tervalink_window_probe window <device-root>   ("COM 107" is <device-root>/ttyUSB7)
#include <cstdio>
#include <ctime>

#include <QApplication>
#include <QPixmap>

#include "frm_main.h"
#include "system_device_inventory.h"
#include "text_rendering.h"

int main(int argc, char* argv[])
{
    const bool screenshot = argc == 3 && QByteArrayView(argv[1]) == "screenshot";
    const bool shown = argc == 3 && QByteArrayView(argv[1]) == "window";
    if (!screenshot && !shown && !(argc == 2 && QByteArrayView(argv[1]) == "startup")) {
        std::fputs("usage: tervalink_window_probe screenshot <file.png> | startup"
                   " | window <device-root>\n", stderr);
        return 2;
    }
    tervalink::choose_text_rendering(); // as the program does
    QApplication application(argc, argv);
    tervalink::SystemDeviceInventory inventory;
    tervalink::FrmMainDependencies dependencies{inventory};
    if (shown)
        dependencies.device_root = argv[2];
    tervalink::frmMain window(dependencies);
    window.show();
    if (shown)
        return QApplication::exec();
    QApplication::processEvents();
    if (!screenshot) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("%lld%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
        return 0;
    }
    if (window.grab().save(QString::fromLocal8Bit(argv[2])))
        return 0;
    std::fprintf(stderr, "Cannot write %s\n", argv[2]);
    return 1;
}
