#pragma once

#include <string>

#include <QString>

namespace tervalink {

// A chosen file's name as the data file source opens it on this system.
std::string file_name_for_opening(const QString& path);

} // namespace tervalink
