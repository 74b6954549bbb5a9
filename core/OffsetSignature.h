// Offset signatures: the four bytes at an offset of a file written as
// decimal byte values joined by "-" (4D 5A 90 00 gives "77-90-144-0"). The
// text is written and read here only, so that what the engine compares, what
// the scanner indexes and what bvxtool accepts agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kernel {

std::string OffsetSignatureText(const unsigned char bytes[4]);

// The four bytes whose text is exactly `text`, as OffsetSignatureText writes
// it (no blank, sign or leading zero); false when no four bytes give it.
bool ParseOffsetSignatureText(std::string_view text, unsigned char bytes[4]);

} // namespace kernel
