#include "transmission.h"

#include "numbers.h"
#include "update_image.h"

namespace tervalink {
namespace {

constexpr std::int16_t tp_repeat_gap = 30;
constexpr std::int16_t autosym_gap = 150;

template <std::size_t N>
TransmissionStep step(const std::array<std::uint8_t, N>& frame, FrameKind kind, int pause_ticks,
                      std::optional<int> progress = std::nullopt)
{
    return {{frame.begin(), frame.end()}, kind, static_cast<std::int16_t>(pause_ticks), progress};
}

} // namespace

Transmission slot_transmission(UpdateImage& image, const std::array<bool, rows_per_slot>& ticked)
{
    Transmission transmission;
    transmission.repetitions = repeat_count;
    transmission.frames_per_repetition = 3;
    int progress = 0;
    for (std::size_t r = 0; r < ticked.size(); ++r) {
        if (!ticked[r])
            continue;
        const TpPacket& row_buffer = image.tp_packet(static_cast<int>(r));
        const TpPacket& tagged = image.tag_row(static_cast<int>(r));
        for (int k = 1; k <= repeat_count; ++k) {
            auto& steps = transmission.steps;
            steps.push_back(step(row_buffer, FrameKind::tp, tp_repeat_gap));
            steps.push_back(step(row_buffer, FrameKind::tp, tp_repeat_gap));
            steps.push_back(step(tagged, FrameKind::tagged_tp, 20 * k + 210, ++progress));
        }
    }
    transmission.progress_maximum = progress;
    return transmission;
}

Transmission auto_symbol_transmission(const UpdateImage& image)
{
    Transmission transmission;
    transmission.progress_maximum = repeat_count;
    const int repetitions = static_cast<int>(round_half_even(repeat_count / 3.0));
    transmission.repetitions = repetitions;
    transmission.frames_per_repetition = 2;
    for (int j = 1; j <= repetitions; ++j) {
        transmission.steps.push_back(step(image.autosym_packet(), FrameKind::autosym, autosym_gap));
        transmission.steps.push_back(step(image.tagged_autosym_packet(), FrameKind::tagged_autosym,
                                          20 * j + 200, 3 * j));
    }
    return transmission;
}

std::int64_t total_ticks(const Transmission& transmission)
{
    std::int64_t ticks = 0;
    for (const TransmissionStep& step : transmission.steps)
        ticks += step.pause_ticks;
    return ticks;
}

StepPosition step_position(const Transmission& transmission, std::size_t index)
{
    const auto per_repetition = static_cast<std::size_t>(transmission.frames_per_repetition);
    const auto per_part = per_repetition * static_cast<std::size_t>(transmission.repetitions);
    return {index / per_part, static_cast<int>(index % per_part / per_repetition) + 1};
}

std::size_t repetition_start(const Transmission& transmission, std::size_t index)
{
    const StepPosition at = step_position(transmission, index);
    const auto per_repetition = static_cast<std::size_t>(transmission.frames_per_repetition);
    return (at.part * static_cast<std::size_t>(transmission.repetitions) +
            static_cast<std::size_t>(at.repetition - 1)) * per_repetition;
}

std::int64_t ticks_before(const Transmission& transmission, std::size_t index)
{
    std::int64_t ticks = 0;
    for (std::size_t i = 0; i < index && i < transmission.steps.size(); ++i)
        ticks += transmission.steps[i].pause_ticks;
    return ticks;
}

} // namespace tervalink
