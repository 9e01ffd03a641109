#include "json_text.h"

#include <cstdio>

namespace tervalink::module {

std::string json_string(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string json_number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string json_array(const std::vector<std::string>& values)
{
    std::string out = "[";
    for (const std::string& value : values)
        out += (out.size() > 1 ? "," : "") + value;
    return out + ']';
}

std::string json_object(const std::vector<std::pair<std::string_view, std::string>>& members)
{
    std::string out = "{";
    for (const auto& [key, value] : members)
        out += (out.size() > 1 ? "," : "") + json_string(key) + ':' + value;
    return out + '}';
}

} // namespace tervalink::module
