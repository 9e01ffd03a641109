#include "update_fixture.h"

#include "frames.h"

namespace tervalink::test {

namespace {

constexpr AutosymTexts rates{"27500", "22000", "30000", "29900", "28000",
                             "6111",  "5632",  "4340",  "3000",  "1000"};

} // namespace

SatelliteTable auto_symbol_table()
{
    SatelliteTable table;
    for (int k = 0; k < auto_rate_count; ++k)
        table.set_text(Field::auto_rate, k, rates[static_cast<std::size_t>(k)]);
    table.set_option(auto_symbol_choice);
    return table;
}

std::vector<std::uint8_t> expected_auto_symbol_bytes()
{
    const AutosymPacket plain = encode_autosym_packet(rates);
    const AutosymPacket tagged = make_tagged_autosym_packet(plain);
    std::vector<std::uint8_t> bytes;
    for (int j = 1; j <= 5; ++j) {
        bytes.insert(bytes.end(), plain.begin(), plain.end());
        bytes.insert(bytes.end(), tagged.begin(), tagged.end());
    }
    return bytes;
}

std::vector<int> auto_symbol_pause_ticks()
{
    std::vector<int> ticks;
    for (int j = 1; j <= 5; ++j) {
        ticks.push_back(150);
        ticks.push_back(20 * j + 200);
    }
    return ticks;
}

} // namespace tervalink::test
