// Hash lists of the common "MD5:Size:Name" form (one entry a line, further
// ":" fields ignored) turned into fingerprint definitions. No windows here.
#pragma once

#include "DefinitionList.h"

#include <string>
#include <string_view>
#include <vector>

namespace bvxtool {

// Lines that have no fingerprint definition, by reason.
struct HdbSkips {
    size_t starSize = 0;   // size "*": any size, which a fingerprint cannot say
    size_t sha1 = 0;       // 40-digit hash
    size_t sha256 = 0;     // 64-digit hash
    size_t zeroSize = 0;   // size 0
    size_t malformed = 0;  // anything else that is not an entry
    size_t Total() const { return starSize + sha1 + sha256 + zeroSize + malformed; }
};

struct MalformedLine {
    size_t line;
    std::string reason;
};

struct HdbConversion {
    std::vector<Definition> definitions;
    HdbSkips skips;
    // Where each malformed line is and what is wrong with it.
    std::vector<MalformedLine> malformedLines;
};

// Converts every line of a hash list; blank lines and "#" comments are passed
// over without counting.
HdbConversion ConvertHdb(std::string_view text);

// The size text a file of that many bytes gets from GetSize: the low 32 bits
// read as a signed integer (3 GiB gives -1073741824).
std::string SizeText(uint64_t size);

// "N converted, M skipped (...)": the summary line for one hash list.
std::string HdbSummary(const HdbConversion &conversion);

} // namespace bvxtool
