#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "expected.h"
#include "transmission.h"

namespace tervalink {

class SatelliteTable;
class UpdateImage;

inline constexpr std::string_view select_satellite_message = "Select a satellite to update";
inline constexpr std::string_view select_tps_message = "Select TPs to update";
inline constexpr std::string_view symbolrate_clash_message =
    "Change the symbolrate informations (DATA FORMAT ERROR)";

// Why UPDATE sends nothing: the text of its message box, which a marker clash also puts on the
// status line.
struct UpdateRefusal {
    std::string message;
    bool clash = false;

    friend bool operator==(const UpdateRefusal&, const UpdateRefusal&) = default;
};

// What UPDATE would send for the choice selected now: the refusal of its first failing entry test
// or of a marker clash, the failure of a value that does not fit its frame (the update's error
// path), or the transmission.
using PreparedUpdate = std::variant<UpdateRefusal, Failed, Transmission>;

// The entry tests, the build into the image and the clash test. The ticks are taken here, once: a
// row ticked while the update runs is never sent.
PreparedUpdate prepare_update(const SatelliteTable& table, UpdateImage& image);
// The same, built into an image of its own, for callers that keep none between updates.
PreparedUpdate prepare_update(const SatelliteTable& table);

} // namespace tervalink
