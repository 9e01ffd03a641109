#include "adapter_return.h"

#include <algorithm>

#include "failure.h"

namespace tervalink {

bool same_adapter(const AdapterFacts& gone, const AdapterFacts& candidate)
{
    if (gone.usb_id.empty() || candidate.usb_id != gone.usb_id)
        return false;
    if (!gone.serial_number.empty())
        return candidate.serial_number == gone.serial_number;
    return candidate.serial_number.empty() && !gone.location.empty() &&
           candidate.location == gone.location;
}

std::string unrecognisable_reason(const AdapterFacts& facts)
{
    if (facts.usb_id.empty())
        return "it is no USB adapter that the system names";
    if (facts.serial_number.empty() && facts.location.empty())
        return "its adapter has neither a USB serial number nor a known USB location";
    return {};
}

std::optional<AdapterFacts> adapter_on(const std::vector<AdapterFacts>& adapters,
                                       std::string_view device)
{
    for (const AdapterFacts& facts : adapters)
        if (std::find(facts.devices.begin(), facts.devices.end(), device) != facts.devices.end())
            return facts;
    return std::nullopt;
}

namespace {

// The port of `back` that stands where `gone_device` stood on `gone`: an adapter with two ports
// comes back with both.
std::optional<std::string> matching_port(const AdapterFacts& gone, std::string_view gone_device,
                                         const AdapterFacts& back)
{
    if (back.devices.empty())
        return std::nullopt;
    const auto at = std::find(gone.devices.begin(), gone.devices.end(), gone_device);
    const auto index = static_cast<std::size_t>(at - gone.devices.begin());
    return index < back.devices.size() ? back.devices[index] : back.devices.front();
}

// The inventory's adapters; none when it cannot be read just now (an adapter that is being set
// up may leave it half written): the next arrival looks again.
std::vector<AdapterFacts> adapters_now(DeviceInventory& inventory)
{
    try {
        return inventory.adapters();
    } catch (const Failure&) {
        return {};
    }
}

} // namespace

AdapterReturn await_adapter(const AdapterFacts& gone, std::string_view gone_device,
                            DeviceInventory& inventory, AdapterArrivals& arrivals,
                            std::chrono::steady_clock::time_point deadline,
                            const std::function<void(const std::string& device)>& open)
{
    struct Listening {
        explicit Listening(AdapterArrivals& a) : arrivals(a) { arrivals.listen(); }
        ~Listening() { arrivals.stop_listening(); }
        AdapterArrivals& arrivals;
    } listening(arrivals);
    AdapterReturn result;
    for (;;) {
        for (const AdapterFacts& candidate : adapters_now(inventory)) {
            if (!same_adapter(gone, candidate))
                continue;
            const std::optional<std::string> device = matching_port(gone, gone_device, candidate);
            if (!device)
                continue;
            try {
                open(*device);
                result.device = device;
                result.adapter = candidate;
                return result;
            } catch (const Failure& failure) {
                result.open_failure = failure.what();
            }
        }
        const ArrivalWait woken = arrivals.wait(deadline);
        if (woken == ArrivalWait::interrupted) {
            result.interrupted = true;
            return result;
        }
        if (woken == ArrivalWait::timed_out)
            return result;
    }
}

} // namespace tervalink
