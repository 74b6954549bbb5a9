// Offset signatures: the four bytes at an offset of a file written as
// decimal byte values joined by "-" (4D 5A 90 00 gives "77-90-144-0").
#pragma once

#include <cstdint>
#include <string>

namespace kernel {

std::string OffsetSignatureText(const unsigned char bytes[4]);

// True when the four bytes at `offset` of the file give exactly `signature`
// (plain text comparison). The file is opened for reading with no sharing, so
// a file that anyone has open never matches; a negative offset reads from the
// start, and bytes past the end of the file count as 0.
bool FileMatchesOffsetSignature(const std::string &signature, int32_t offset,
                                const std::string &path);

} // namespace kernel
