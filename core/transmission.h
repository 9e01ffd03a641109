#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "frame_decoder.h"
#include "frames.h"

namespace tervalink {

// One frame and the pause that follows it.
struct TransmissionStep {
    std::vector<std::uint8_t> frame;
    FrameKind kind = FrameKind::tp;
    std::int16_t pause_ticks = 0;
    std::optional<int> progress; // the progress value shown once the pause has passed
};

// Everything one update puts on the line, in order, with the progress it shows.
struct Transmission {
    int progress_maximum = 0;
    std::vector<TransmissionStep> steps;
};

inline constexpr std::int16_t repeat_count = 15;

// The rows of a slot update, fifteen repetitions each: TP packet, 30 ticks, TP packet, 30 ticks,
// tagged TP packet, 20 k + 210 ticks. Leaves the last row's tagged packet in the image.
Transmission slot_transmission(UpdateImage& image, const std::array<bool, 3>& ticked);

// AUTO SYMBOL: five times the auto symbol-rate packet, 150 ticks, its tagged copy, 20 j + 200 ticks.
Transmission auto_symbol_transmission(const UpdateImage& image);

std::int64_t total_ticks(const Transmission& transmission);

} // namespace tervalink
