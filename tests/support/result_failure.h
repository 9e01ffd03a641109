#pragma once

#include <string>

#include "expected.h"

namespace tervalink::test {

// The failure's description of a rule's result, or "" when it holds its value.
template <typename T>
std::string failure_of(const Expected<T>& result)
{
    return result ? std::string() : result.failure();
}

} // namespace tervalink::test
