// Renders the window for the README, or reports when it is shown, for start-up timing.
//   tervalink_window_probe screenshot <file.png>
//   tervalink_window_probe startup   (prints the CLOCK_REALTIME nanoseconds at which it was shown)
#include <cstdio>
#include <cstring>
#include <ctime>

#include <QApplication>
#include <QPixmap>

#include "frm_main.h"
#include "qt_device_inventory.h"

namespace {

long long realtime_ns()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int usage()
{
    std::fputs("usage: tervalink_window_probe screenshot <file.png> | startup\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool screenshot = argc == 3 && std::strcmp(argv[1], "screenshot") == 0;
    const bool startup = argc == 2 && std::strcmp(argv[1], "startup") == 0;
    if (!screenshot && !startup)
        return usage();
    QApplication application(argc, argv);
    tervalink::QtDeviceInventory inventory;
    tervalink::frmMain window({inventory});
    window.show();
    QApplication::processEvents();
    if (startup) {
        std::printf("%lld\n", realtime_ns());
        return 0;
    }
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "Cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
