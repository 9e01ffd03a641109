#include "stop_request.h"

namespace tervalink {

void StopRequest::request(const std::string& description)
{
    const std::lock_guard lock(mutex_);
    if (requested_)
        return;
    requested_ = true;
    description_ = description;
    wake();
}

void StopRequest::reset()
{
    const std::lock_guard lock(mutex_);
    requested_ = false;
    description_.clear();
    rearm();
}

bool StopRequest::requested() const
{
    const std::lock_guard lock(mutex_);
    return requested_;
}

std::string StopRequest::description() const
{
    const std::lock_guard lock(mutex_);
    return description_;
}

} // namespace tervalink
