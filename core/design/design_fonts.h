#pragma once

namespace tervalink {

// The design's font sizes in points: the window's own, which every caption and box takes, and
// the larger one of the position boxes.
inline constexpr double caption_design_points = 8.25;
inline constexpr double position_design_points = 9.75;

} // namespace tervalink
