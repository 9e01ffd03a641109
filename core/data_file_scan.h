#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervalink {

#if defined(__SSE2__)
template <char... Stops>
unsigned stop_mask16(const char* p)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = (_mm_cmpeq_epi8(block, _mm_set1_epi8(Stops)) | ...);
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}
#endif

// The first byte in [p, end) equal to one of Stops, or end. Sixteen bytes are tested at a time:
// an auto line's fields are a few bytes long, but a line may also be gigabytes of one field.
template <char... Stops>
const char* find_first_of(const char* p, const char* end)
{
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16)
        if (const unsigned mask = stop_mask16<Stops...>(p); mask != 0)
            return p + std::countr_zero(mask);
#endif
    while (p != end && ((*p != Stops) && ...))
        ++p;
    return p;
}

// Bit i set when p[i] is one of Stops, for the 64 bytes from p (all must be readable).
template <char... Stops>
std::uint64_t stop_mask64(const char* p)
{
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    for (int block = 0; block < 4; ++block)
        mask |= std::uint64_t{stop_mask16<Stops...>(p + 16 * block)} << (16 * block);
#else
    for (int i = 0; i < 64; ++i)
        if (((p[i] == Stops) || ...))
            mask |= std::uint64_t{1} << i;
#endif
    return mask;
}

} // namespace tervalink
