#pragma once

#include <functional>
#include <string>

namespace tervalink::test {

// Imports `path` and checks the failure's text ("" for none) and the buffers' line count after it.
using ImportCheck = std::function<void(const std::string& path, const std::string& message, int line_count)>;

// Checks the refusals that are this system's own, on paths made in `folder` beside `plain`, a
// readable data file of three lines that the buffers hold when this starts.
void check_system_refusals(const std::string& folder, const std::string& plain, const ImportCheck& check);

} // namespace tervalink::test
