#include "caption_font.h"

namespace tervalink {

// Debian's Liberation Sans (fonts-liberation); DejaVu Sans, the default, is wider and clips them.
QFont caption_font()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace tervalink
