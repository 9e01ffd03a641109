#pragma once

#include <string>

#include "expected.h"
#include "failure.h"

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

// The same for a rule's result.
template <typename T>
std::string failure_of(const Expected<T>& result)
{
    return result ? std::string() : result.failure();
}

} // namespace tervalink::test
