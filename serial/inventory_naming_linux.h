#pragma once
// Linux: how an adapter is described from what udev knows of it.
#include <string>
#include <string_view>

namespace tervalink {

// What udev knows of an adapter, each name from the hardware database when it knows the device,
// else as the adapter reports it (udev writes its blanks as underscores there).
struct UdevAdapterNames {
    std::string_view vendor_from_database;
    std::string_view vendor;
    std::string_view model_from_database;
    std::string_view model;
};

// "<vendor> <model>", either left out when unknown: "FTDI FT232R USB UART".
std::string adapter_description_from_udev(const UdevAdapterNames& names);

} // namespace tervalink
