#include "file_name.h"

#include <QFile>

namespace tervalink {

// The bytes the file system holds the name as (UTF-8 on any current Linux).
std::string file_name_for_opening(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace tervalink
