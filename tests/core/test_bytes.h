#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tervalink::testing_support {

// "23 53 03 ..." as the technician reads a capture.
inline std::string hex(std::span<const std::uint8_t> bytes)
{
    std::string out;
    char buffer[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        if (!out.empty())
            out += ' ';
        out += buffer;
    }
    return out;
}

} // namespace tervalink::testing_support
