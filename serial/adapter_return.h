#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adapter_arrivals.h"
#include "adapter_survey.h"
#include "port_discovery.h"

namespace tervalink {

// How a line finds its adapter again after it went away. A replugged adapter may come back under
// another device name (the old one is still held while the line has it open), so it is known by
// what it is, not by where its port was.

// Whether `candidate` is the adapter `gone` was: the same USB ID and, where `gone` has one, the
// same USB serial number, wherever it is plugged in; without a serial number, the same USB ID in
// the same socket (its location, the path of hubs) and still without a serial number.
bool same_adapter(const AdapterFacts& gone, const AdapterFacts& candidate);

// Why the adapter cannot be told apart from others once it is gone; empty when it can.
std::string unrecognisable_reason(const AdapterFacts& facts);

// The adapter that lists `device` among its ports; none when no adapter does.
std::optional<AdapterFacts> adapter_on(const std::vector<AdapterFacts>& adapters,
                                       std::string_view device);

struct AdapterReturn {
    std::optional<std::string> device; // the port opened, when the adapter came back in time
    AdapterFacts adapter;              // as it came back
    bool interrupted = false;          // the wait was stopped
    std::string open_failure;          // why its port would not open, when it came back so
};

// Waits until `gone` is plugged in again and `open` takes its port (the one at the position of
// `gone_device` among its ports), until `deadline` or until the wait is interrupted. It looks at
// the inventory once at the start (it may be back already) and again at each arrival. `open`
// throws Failure when the port does not open; the wait goes on then.
AdapterReturn await_adapter(const AdapterFacts& gone, std::string_view gone_device,
                            DeviceInventory& inventory, AdapterArrivals& arrivals,
                            std::chrono::steady_clock::time_point deadline,
                            const std::function<void(const std::string& device)>& open);

} // namespace tervalink
