#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "transmission_clock.h"

namespace tervalink::test {

// A virtual clock that a test can stop in a pause: the sending thread sleeps there until the
// test lets it go on or a stop is requested, so that a test can act "during pause n" without
// racing the transmission. Pauses not held pass at once.
class HeldClock : public TransmissionClock {
public:
    void hold_at_pause(int index); // 0 is the pause after the first frame
    // Waits (without pumping events) until the sending thread sleeps in the held pause.
    bool wait_until_held(std::chrono::seconds bound = std::chrono::seconds(20));
    void release();

    Time now() override;
    bool sleep_until(Time deadline, StopRequest& stop) override;

private:
    VirtualClock virtual_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int pauses_ = 0;
    int hold_at_ = -1;
    bool holding_ = false;
};

} // namespace tervalink::test
