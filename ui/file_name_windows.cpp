#include "file_name.h"

#include <QDir>

namespace tervalink {

// UTF-8, which the data file source turns into Windows' UTF-16: the ANSI code page of an 8-bit
// conversion cannot name most files outside it. With backslashes, as messages show it.
std::string file_name_for_opening(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace tervalink
