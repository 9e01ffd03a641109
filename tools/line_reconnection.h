#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "adapter_arrivals.h"
#include "adapter_survey.h"
#include "port_discovery.h"
#include "serial_line.h"
#include "transmitter.h"

namespace tervalink::frames_tool {

// What a reconnecting line tells its owner, from the sending thread.
class ReconnectionReports {
public:
    virtual ~ReconnectionReports() = default;
    virtual void adapter_gone(std::chrono::seconds wait) = 0;
    virtual void adapter_back(const std::string& device) = 0;
};

// send --reconnect: when a line's adapter goes away, the line closes at once and waits for the
// same adapter (by its identity, under whatever device name it comes back) to appear, then opens
// its port; the sender resumes at the start of the cut repetition. Other failures end the line
// as before.
class LineReconnection : public LineRecovery {
public:
    LineReconnection(SerialLine& serial, std::chrono::seconds wait,
                     std::unique_ptr<DeviceInventory> inventory,
                     std::unique_ptr<AdapterArrivals> arrivals, ReconnectionReports& reports);

    // Once the port is open: which adapter it is on, while it is still there to be asked.
    // `given_as_path`: the port was named by its device rather than as "COM n".
    void identify(const std::string& label, const std::string& device, bool given_as_path);

    bool recover(const std::string& failure, StopRequest& stop) override;
    void interrupt() override { arrivals_->interrupt(); }

private:
    SerialLine& serial_;
    std::chrono::seconds wait_;
    std::unique_ptr<DeviceInventory> inventory_;
    std::unique_ptr<AdapterArrivals> arrivals_;
    ReconnectionReports& reports_;
    std::string label_;
    std::string device_;
    std::optional<AdapterFacts> adapter_;
    std::string unrecognised_; // why it cannot be reconnected, when it cannot
};

} // namespace tervalink::frames_tool
