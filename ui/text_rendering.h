#pragma once

namespace tervalink {

// Chooses how the window's text is drawn, where this system needs a choice. Call it before the
// QApplication is made.
void choose_text_rendering();

} // namespace tervalink
