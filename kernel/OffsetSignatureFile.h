// The offset signature compared with a file on disk, read through Win32.
#pragma once

#include "OffsetSignature.h"

#include <cstdint>
#include <string>

namespace kernel {

// True when the four bytes at `offset` of the file give exactly `signature`
// (plain text comparison). The file is opened for reading with no sharing, so
// a file that anyone has open never matches; a negative offset reads from the
// start, and bytes past the end of the file count as 0.
bool FileMatchesOffsetSignature(const std::string &signature, int32_t offset,
                                const std::string &path);

} // namespace kernel
