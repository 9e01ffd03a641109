#pragma once

#include <cstddef>

namespace tervalink {

// The editable texts of the satellite table.
enum class Field { position, nid, freq, symb, pol, auto_rate };

// How many characters each text holds: for typing, for every assignment and for what an import
// keeps of a data file field alike.
constexpr std::size_t field_limit(Field field)
{
    switch (field) {
    case Field::position: return 4;
    case Field::pol: return 1;
    case Field::nid:
    case Field::freq:
    case Field::symb:
    case Field::auto_rate: return 5;
    }
    return 0;
}

} // namespace tervalink
