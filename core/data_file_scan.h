#pragma once

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervalink {

// The first byte in [p, end) equal to one of Stops, or end. Sixteen bytes are tested at a time:
// an auto line's fields are a few bytes long, but a line may also be gigabytes of one field.
template <char... Stops>
const char* find_first_of(const char* p, const char* end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = (_mm_cmpeq_epi8(block, _mm_set1_epi8(Stops)) | ...);
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0)
            return p + std::countr_zero(mask);
        p += 16;
    }
#endif
    while (p != end && ((*p != Stops) && ...))
        ++p;
    return p;
}

} // namespace tervalink
