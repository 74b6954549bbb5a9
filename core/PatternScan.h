// The two scans behind FindInBuffer: one with SSE2 (16 candidate positions
// per step, filtered by the pattern's first and last byte) and a portable one
// for processors without it. Both return the lowest matching index.
#pragma once

#include "SignatureSearch.h"

namespace kernel::patternscan {

bool HasSse2();

// Both require a non-empty pattern no longer than `length`.
int64_t FindSse2(const unsigned char *data, size_t length, const SearchPattern &pattern);
int64_t FindPortable(const unsigned char *data, size_t length, const SearchPattern &pattern);

} // namespace kernel::patternscan
