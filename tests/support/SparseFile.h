// Large test files without the disk space: a sparse file of a given size that
// reads as zeros except where pieces were written.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using FilePiece = std::pair<uint64_t, std::string>; // position, bytes

void WriteSparseFile(const std::string &path, uint64_t size,
                     const std::vector<FilePiece> &pieces = {});

} // namespace testsupport
