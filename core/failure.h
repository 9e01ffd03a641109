#pragma once

#include <stdexcept>

namespace tervalink {

// A failure that a handler catches and shows to the user as it stands: the description says what
// went wrong in words a technician can act on.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tervalink
