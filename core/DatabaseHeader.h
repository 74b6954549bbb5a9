// The 512-byte text header of a signature database file (.cvd, .cld): fields
// separated by ":" and padded with blanks to 512 bytes. Read strictly: every
// field must be there and of its form, else the file is taken as damaged.
// No windows here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bvxtool {

constexpr size_t kDatabaseHeaderSize = 512;
// The first field of every such header.
constexpr std::string_view kDatabaseMagic = "ClamAV-VDB";

struct DatabaseHeader {
    std::string name;              // kDatabaseMagic
    std::string buildTime;         // as written, e.g. "10 Dec 2026 09-55 +0000"
    uint32_t version = 0;
    uint32_t signatureCount = 0;
    uint32_t functionalityLevel = 0;
    std::string md5;               // 32 lower-case hex digits: the MD5 of the rest of the file
    std::string digitalSignature;  // not checked by the import
    std::string builder;
};

// True when the bytes start as a database header does.
bool StartsAsDatabaseHeader(std::string_view bytes);

// Reads the header from the first kDatabaseHeaderSize bytes of a file; throws
// ImportError naming the field that is missing or not of its form.
DatabaseHeader ReadDatabaseHeader(std::string_view bytes);

} // namespace bvxtool
