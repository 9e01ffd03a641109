#pragma once

#include "design_fonts.h"
#include "twips.h"

namespace tervalink {

// The window shows the whole fixed design scaled by one factor, chosen from the screen it stands
// on. Every length here is in the desktop's scaled (device-independent) pixels.

struct Extent {
    double width = 0;
    double height = 0;
};

// What the window manager adds around the client area: borders and the title bar.
struct FrameMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The captions' 8.25 pt text is 11 pixels high at the design's 96 dpi; it stays legible down to
// 7 pixels on the screen. The floor counts the screen's own (device) pixels, so a screen that
// scales by `device_pixel_ratio` lets the design shrink further.
inline constexpr double caption_design_pixels = caption_design_points * pixels_per_point;
inline constexpr double smallest_legible_pixels = 7.0;
double legibility_floor(double device_pixel_ratio);

// The factor at which the design and its frame fit `available` (the work area, without the
// taskbar): never above 1, the desktop's own scaling, and never below `floor`; below the floor the
// window keeps the floor's size and the user moves it to reach what lies off the screen.
double design_factor(Extent available, FrameMargins frame, Extent design, double floor);

// The scale of the captions one screen pixel smaller than `text_scale` gives them: taken, for all
// captions at once, where one of them would not fit its control.
double next_smaller_text_scale(double text_scale, double device_pixel_ratio);

} // namespace tervalink
