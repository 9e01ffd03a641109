#pragma once

namespace tervalink {

// Whether this session has a display the window can appear on. Without one QApplication aborts
// with several lines of its own; one clear line is better.
bool display_available();

} // namespace tervalink
