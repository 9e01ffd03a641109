#pragma once
// Linux only, for the far ends: fills a pseudo-terminal's buffer from the slave's side, as a
// device that stops taking bytes leaves it. Shared by the Linux far end and wine_far_ends.
#include <poll.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tervalink::test {

// Writes through `slave` (opened non-blocking) until the line takes nothing more; returns how
// many bytes went in. The kernel moves bytes on to the reading side's own buffer a moment later,
// making room again, so it fills until a round after a pause finds none.
inline std::size_t fill_until_full(int slave)
{
    const std::vector<std::uint8_t> chunk(256, 'x');
    std::size_t filled = 0;
    for (bool took = true; took; ::poll(nullptr, 0, 20)) {
        took = false;
        for (ssize_t written = 0; written >= 0;) {
            written = ::write(slave, chunk.data(), chunk.size());
            if (written > 0) {
                filled += static_cast<std::size_t>(written);
                took = true;
            }
        }
    }
    return filled;
}

} // namespace tervalink::test
