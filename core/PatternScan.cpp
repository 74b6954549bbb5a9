#include "PatternScan.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define BRENVALD_X86 1
#endif

namespace kernel::patternscan {

namespace {

bool IsExact(const SearchPattern &pattern) { return pattern.First() == pattern.Second(); }

template <bool Exact>
bool MatchesAt(const unsigned char *candidate, const SearchPattern &pattern) {
    if (Exact)
        return std::memcmp(candidate, pattern.First().data(), pattern.Size()) == 0;
    for (size_t k = 0; k < pattern.Size(); ++k)
        if (!pattern.Matches(k, candidate[k]))
            return false;
    return true;
}

// The next index from `from` on whose byte can start an occurrence; for an
// exact pattern memchr skips ahead.
template <bool Exact>
size_t NextStart(const unsigned char *data, size_t from, size_t end, const SearchPattern &pattern) {
    if (Exact) {
        const void *hit = std::memchr(data + from, static_cast<unsigned char>(pattern.First()[0]),
                                      end - from);
        return hit ? static_cast<size_t>(static_cast<const unsigned char *>(hit) - data) : end;
    }
    while (from < end && !pattern.Matches(0, data[from]))
        ++from;
    return from;
}

template <bool Exact>
int64_t FindPortableAs(const unsigned char *data, size_t length, const SearchPattern &pattern) {
    const size_t last = pattern.Size() - 1;
    const size_t starts = length - last;
    for (size_t i = NextStart<Exact>(data, 0, starts, pattern); i < starts;
         i = NextStart<Exact>(data, i + 1, starts, pattern)) {
        if (pattern.Matches(last, data[i + last]) && MatchesAt<Exact>(data + i, pattern))
            return static_cast<int64_t>(i);
    }
    return -1;
}

#ifdef BRENVALD_X86
// Marks the lanes of `block` that equal either byte form.
template <bool Exact>
__attribute__((target("sse2"))) inline __m128i LanesEqual(__m128i block, __m128i first,
                                                          __m128i second) {
    __m128i hits = _mm_cmpeq_epi8(block, first);
    if (!Exact)
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, second));
    return hits;
}

template <bool Exact>
__attribute__((target("sse2"))) int64_t FindSse2As(const unsigned char *data, size_t length,
                                                   const SearchPattern &pattern) {
    const size_t last = pattern.Size() - 1;
    const size_t starts = length - last;
    const __m128i firstA = _mm_set1_epi8(pattern.First()[0]);
    const __m128i firstB = _mm_set1_epi8(pattern.Second()[0]);
    const __m128i lastA = _mm_set1_epi8(pattern.First()[last]);
    const __m128i lastB = _mm_set1_epi8(pattern.Second()[last]);
    size_t i = 0;
    for (; i + 16 <= starts; i += 16) {
        __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + last));
        __m128i both = _mm_and_si128(LanesEqual<Exact>(heads, firstA, firstB),
                                     LanesEqual<Exact>(tails, lastA, lastB));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both));
        for (; mask != 0; mask &= mask - 1) {
            size_t candidate = i + static_cast<size_t>(__builtin_ctz(mask));
            if (MatchesAt<Exact>(data + candidate, pattern))
                return static_cast<int64_t>(candidate);
        }
    }
    int64_t inTail = FindPortableAs<Exact>(data + i, length - i, pattern);
    return inTail < 0 ? -1 : static_cast<int64_t>(i) + inTail;
}
#endif

} // namespace

#ifdef BRENVALD_X86
bool HasSse2() {
    static const bool supported = __builtin_cpu_supports("sse2");
    return supported;
}

int64_t FindSse2(const unsigned char *data, size_t length, const SearchPattern &pattern) {
    return IsExact(pattern) ? FindSse2As<true>(data, length, pattern)
                            : FindSse2As<false>(data, length, pattern);
}
#else
bool HasSse2() { return false; }

int64_t FindSse2(const unsigned char *data, size_t length, const SearchPattern &pattern) {
    return FindPortable(data, length, pattern);
}
#endif

int64_t FindPortable(const unsigned char *data, size_t length, const SearchPattern &pattern) {
    return IsExact(pattern) ? FindPortableAs<true>(data, length, pattern)
                            : FindPortableAs<false>(data, length, pattern);
}

} // namespace kernel::patternscan
