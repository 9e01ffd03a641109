#include "far_end.h"

#include <poll.h>

#include "thread_priority.h"

namespace tervalink::test {

// The reader runs at the sender's priority where that is permitted, so that its readings are as
// timely as the writes they measure.
FarEnd::FarEnd()
    : reader_([this] {
          raise_sending_priority();
          read_until_stopped();
      })
{
}

FarEnd::~FarEnd()
{
    stopping_ = true;
    reader_.join();
}

void FarEnd::read_until_stopped()
{
    while (!stopping_) {
        pollfd readable{pty_.master_fd(), POLLIN, 0};
        if (::poll(&readable, 1, 50) <= 0)
            continue;
        // With no program holding the slave, the master reports a hang-up at once: wait for
        // the program to open it instead of spinning.
        if ((readable.revents & POLLIN) == 0) {
            ::poll(nullptr, 0, 5);
            continue;
        }
        const auto arrived = Clock::now();
        const std::vector<std::uint8_t> fresh = pty_.read_available();
        {
            const std::lock_guard lock(mutex_);
            bytes_.insert(bytes_.end(), fresh.begin(), fresh.end());
            byte_times_.insert(byte_times_.end(), fresh.size(), arrived);
        }
        arrived_.notify_all();
    }
}

std::vector<std::uint8_t> FarEnd::bytes() const
{
    const std::lock_guard lock(mutex_);
    return bytes_;
}

std::vector<FarEnd::Clock::time_point> FarEnd::frame_arrivals(std::size_t frame_size) const
{
    const std::lock_guard lock(mutex_);
    std::vector<Clock::time_point> arrivals;
    for (std::size_t i = 0; i < byte_times_.size(); i += frame_size)
        arrivals.push_back(byte_times_[i]);
    return arrivals;
}

bool FarEnd::wait_for_bytes(std::size_t count, std::chrono::seconds bound) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, bound, [&] { return bytes_.size() >= count; });
}

} // namespace tervalink::test
