#pragma once

#include <QFont>

namespace tervalink {

// The sans-serif the captions were laid out for, by the names this system knows it under: it has
// Arial's metrics, which the captions' widths depend on.
QFont caption_font();

} // namespace tervalink
