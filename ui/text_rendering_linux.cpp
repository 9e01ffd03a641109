#include "text_rendering.h"

namespace tervalink {

// Fontconfig and FreeType draw the captions as they were laid out.
void choose_text_rendering() {}

} // namespace tervalink
