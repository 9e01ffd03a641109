#include "native_port.h"

namespace tervalink {

void NativePort::write_all(std::span<const std::uint8_t> bytes)
{
    try {
        hand_over(bytes);
    } catch (const Failure&) {
        taking_ = false;
        throw;
    }
}

} // namespace tervalink
