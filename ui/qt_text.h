#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace tervalink {

// The model keeps UTF-8 texts; the controls show QStrings.
inline QString to_qstring(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string to_utf8(const QString& text) { return text.toStdString(); }

} // namespace tervalink
