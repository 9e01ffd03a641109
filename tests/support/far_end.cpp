#include "far_end.h"

namespace tervalink::test {

void FarEnd::record(const std::vector<std::uint8_t>& fresh, Clock::time_point arrived)
{
    {
        const std::lock_guard lock(mutex_);
        bytes_.insert(bytes_.end(), fresh.begin(), fresh.end());
        byte_times_.insert(byte_times_.end(), fresh.size(), arrived);
    }
    arrived_.notify_all();
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

bool FarEnd::wait_until(const std::function<bool(const std::vector<std::uint8_t>&)>& test,
                        std::chrono::seconds bound) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, bound, [&] { return test(bytes_); });
}

bool FarEnd::wait_for_bytes(std::size_t count, std::chrono::seconds bound) const
{
    return wait_until([count](const auto& got) { return got.size() >= count; }, bound);
}

} // namespace tervalink::test
