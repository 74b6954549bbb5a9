// The members of a tar archive held in memory, read with every bound
// checked: a member that does not fit the archive, a cut archive, a header
// whose checksum does not match and a name with a path separator are errors
// (ImportError), never a read outside the bytes. Only plain files are taken:
// a signature database holds nothing else. No windows here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bvxtool {

constexpr size_t kTarBlockSize = 512;

struct TarMember {
    std::string name;
    std::string_view content;  // a view into the archive's bytes
};

// True when the bytes start with a tar header ("ustar" at offset 257).
bool StartsAsTarArchive(std::string_view bytes);

// Every member in archive order. The archive ends with a zero block or with
// the bytes; whatever follows the zero block is not read.
std::vector<TarMember> ReadTarArchive(std::string_view archive);

} // namespace bvxtool
