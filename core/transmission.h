#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "frame_kind.h"
#include "satellite_table.h"
#include "tick_period.h"

namespace tervalink {

class UpdateImage;

// One frame and the pause that follows it, in ticks.
struct TransmissionStep {
    std::vector<std::uint8_t> frame;
    FrameKind kind = FrameKind::tp;
    std::int16_t pause_ticks = 0;
    std::optional<int> progress; // the progress value shown once the pause has passed
};

// Everything one update puts on the line, in order, with the progress it shows. Its steps are
// parts (a TP row each, or the one part of AUTO SYMBOL) of `repetitions` repetitions of
// `frames_per_repetition` frames each.
struct Transmission {
    int repetitions = 0;
    int frames_per_repetition = 0;
    int progress_maximum = 0;
    std::vector<TransmissionStep> steps;
};

inline constexpr std::int16_t repeat_count = 15;

// The rows of a slot update, fifteen repetitions each: TP packet, 30 ticks, TP packet, 30 ticks,
// tagged TP packet, 20 k + 210 ticks. Tags each row in the image as its turn comes.
Transmission slot_transmission(UpdateImage& image, const std::array<bool, rows_per_slot>& ticked);

// AUTO SYMBOL: five times the auto symbol-rate packet, 150 ticks, its tagged copy, 20 j + 200 ticks.
Transmission auto_symbol_transmission(const UpdateImage& image);

// How long the transmission lasts: the sum of its pauses.
std::int64_t total_ticks(const Transmission& transmission);

// Where the step at `index` stands: its part (0 for the first row sent) and repetition (from 1).
struct StepPosition {
    std::size_t part = 0;
    int repetition = 0;
};
StepPosition step_position(const Transmission& transmission, std::size_t index);

// The first step of the repetition that holds the step at `index`: where an update cut at that
// step resumes. The antenna unit takes every frame many times over, so sending the cut
// repetition again whole does no harm, and the frames after it keep their pauses.
std::size_t repetition_start(const Transmission& transmission, std::size_t index);

// The pauses of the steps before `index`: how far into the update a line stands there.
std::int64_t ticks_before(const Transmission& transmission, std::size_t index);

} // namespace tervalink
