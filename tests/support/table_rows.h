#pragma once
// Tables filled as a user would type them.
#include <utility>

#include "satellite_table.h"

namespace tervalink::test {

inline void fill_row(SatelliteTable& table, int slot, int row, const char* nid = "1",
                     const char* freq = "11200", const char* symb = "27500", const char* pol = "V")
{
    for (auto [field, text] : {std::pair{Field::nid, nid}, {Field::freq, freq}, {Field::symb, symb}, {Field::pol, pol}})
        table.set_text(field, row_index(slot, row), text);
}

// AUTO SYMBOL selected, with these rates.
template <typename Rates>
void fill_auto(SatelliteTable& table, const Rates& rates)
{
    table.set_option(auto_symbol_choice);
    for (int k = 0; k < auto_rate_count; ++k)
        table.set_text(Field::auto_rate, k, rates[static_cast<std::size_t>(k)]);
}

} // namespace tervalink::test
