#include "polarisation.h"

namespace tervalink {

std::uint8_t polarisation_byte(std::string_view pol)
{
    return pol == "H" || pol == "h" ? horizontal_byte : vertical_byte;
}

std::string_view imported_polarisation(std::string_view flag) { return flag == "1" ? "H" : "V"; }

bool is_valid_polarisation(std::string_view pol)
{
    return pol == "H" || pol == "h" || pol == "V" || pol == "v";
}

} // namespace tervalink
