// Offset signatures: the four bytes at an offset of a file written as
// decimal byte values joined by "-" (4D 5A 90 00 gives "77-90-144-0").
#pragma once

#include <cstdint>
#include <string>

namespace kernel {

std::string OffsetSignatureText(const unsigned char bytes[4]);

} // namespace kernel
