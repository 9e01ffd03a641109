#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervalink::module {

// JSON text of a string: quoted, with what JSON must escape escaped. The texts are UTF-8 and pass
// as they are.
std::string json_string(std::string_view text);

// "[a,b,...]" of values that are JSON text already.
std::string json_array(const std::vector<std::string>& values);

// {"k1":v1,...} of (key, JSON text) pairs, in their order.
std::string json_object(const std::vector<std::pair<std::string_view, std::string>>& members);

// A number in enough digits that JavaScript reads back the same double.
std::string json_number(double value);

inline std::string json_bool(bool value) { return value ? "true" : "false"; }

} // namespace tervalink::module
