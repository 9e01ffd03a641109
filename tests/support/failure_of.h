#pragma once

#include <string>

#include "failure.h"
#include "result_failure.h"

namespace tervalink::test {

// The failure's description, or "" when the call succeeds.
template <typename Call>
std::string failure_of(Call call)
{
    try {
        call();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

} // namespace tervalink::test
