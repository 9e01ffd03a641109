#include "line_reconnection.h"

#include "adapter_return.h"
#include "failure.h"

namespace tervalink::frames_tool {

LineReconnection::LineReconnection(SerialLine& serial, std::chrono::seconds wait,
                                   std::unique_ptr<DeviceInventory> inventory,
                                   std::unique_ptr<AdapterArrivals> arrivals,
                                   ReconnectionReports& reports)
    : serial_(serial), wait_(wait), inventory_(std::move(inventory)),
      arrivals_(std::move(arrivals)), reports_(reports)
{
}

void LineReconnection::identify(const std::string& label, const std::string& device,
                                bool given_as_path)
{
    label_ = label;
    device_ = device;
    adapter_.reset();
    // A device path names one device, not an adapter: under another name it is another port.
    if (given_as_path) {
        unrecognised_ = "it was given as a device path; give it as \"COM n\" so that its adapter "
                        "can be found again";
        return;
    }
    std::optional<AdapterFacts> facts;
    try {
        facts = adapter_on(inventory_->adapters(), device);
    } catch (const Failure& failure) {
        unrecognised_ = "the system's device list could not tell its adapter (" +
                        std::string(failure.what()) + ")";
        return;
    }
    if (!facts) {
        unrecognised_ = "it is on no USB adapter that the system lists";
        return;
    }
    unrecognised_ = unrecognisable_reason(*facts);
    if (unrecognised_.empty())
        adapter_ = std::move(facts);
}

bool LineReconnection::recover(const std::string& failure, StopRequest& stop)
{
    if (!serial_.adapter_gone())
        return false;
    serial_.close();
    if (!adapter_)
        throw Failure(failure + "; " + label_ + " cannot be reconnected: " + unrecognised_);
    reports_.adapter_gone(wait_);
    const AdapterReturn back = await_adapter(
        *adapter_, device_, *inventory_, *arrivals_, std::chrono::steady_clock::now() + wait_,
        [&](const std::string& device) { serial_.open_path(device); });
    if (back.interrupted || stop.requested())
        throw Failure(stop.description());
    if (!back.device)
        throw Failure(failure + "; no adapter " + adapter_identity(*adapter_) + " came back within " +
                      std::to_string(wait_.count()) + " s" +
                      (back.open_failure.empty() ? "" : " (" + back.open_failure + ")"));
    adapter_ = back.adapter;
    device_ = *back.device;
    reports_.adapter_back(device_);
    return true;
}

} // namespace tervalink::frames_tool
