#include "tp_validation.h"

#include "numbers.h"
#include "polarisation.h"
#include "satellite_table.h"

namespace tervalink {

const std::array<std::string_view, 8> tp_error_messages = {
    "",
    "Some of the required field(s) is(are) empty. Please fill out all the checked TP information.",
    "NID, FREQ, SYMBOLRATE must be filled only in numbers.",
    "Polarization must be either 'H' or 'V'",
    "Satellite location must be in the range of 0 ~ 3559. (e.g. 19.2E would be 1920, 10.0W would "
    "be 3500)",
    "NID must be either '0' or in positive numbers.",
    "Frequency range must be within 10700 ~12750.",
    "Symbol Rate must be in positive numbers or less than 32000.",
};

const std::array<std::string_view, 2> auto_rate_messages = {
    "Some of the required field(s) is(are) empty. Please fill out all the information.",
    "Symbol Rate must be in positive numbers.",
};

int check_tp_fields(std::string_view nid, std::string_view freq, std::string_view symb,
                    std::string_view pol, std::string_view position)
{
    // Every test runs and a later failure replaces an earlier code: the largest code wins.
    int code = 0;
    if (!is_numeric_text(nid) || !is_numeric_text(freq) || !is_numeric_text(symb))
        code = 2;
    if (!is_valid_polarisation(pol))
        code = 3;
    const double position_value = numeric_value(position);
    if (position_value < 0 || position_value > 3599)
        code = 4;
    if (numeric_value(nid) < 0)
        code = 5;
    const double freq_value = numeric_value(freq);
    if (freq_value < 10700 || freq_value > 12750)
        code = 6;
    if (numeric_value(symb) < 0)
        code = 7;
    return code;
}

int check_tp_fields(const SatelliteTable& table, int index)
{
    return check_tp_fields(table.nid(index), table.freq(index), table.symb(index), table.pol(index),
                           table.position(slot_of(index)));
}

} // namespace tervalink
