#include "caption_font.h"

#include <QStringList>

namespace tervalink {

// Every Windows has Arial. Wine has none, but it sees the fonts of the Linux side, where
// Liberation Sans has the same metrics.
QFont caption_font()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace tervalink
