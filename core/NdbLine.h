// Body signature lines of the ".ndb" form,
// Name:TargetType:Offset:HexSignature[:MinFL[:MaxFL]], and which of them a
// definition of kind "1" or "2" can say exactly. No windows here.
#pragma once

#include "DefinitionList.h"

#include <string>
#include <string_view>

namespace bvxtool {

// What becomes of one line. Everything but Converted is a reason the line
// is left out.
enum class NdbVerdict {
    Converted,
    Malformed,       // not of the form above
    OtherTarget,     // a target type other than 0 (any file) or 1 (program files)
    OtherOffset,     // an offset other than "*" or an absolute decimal one
    PatternBody,     // wildcards, gaps, alternatives, nibbles or negations in the body
    LongBody,        // a plain body too long for the Signature field
    OffsetBodySize,  // an absolute offset with a body other than four bytes
};

struct NdbLine {
    std::string_view name;
    std::string_view target;
    std::string_view offset;
    std::string_view body;
};

// Splits a line into its fields; false when it has not 4 to 6 fields or an
// empty name, target, offset or body.
bool SplitNdbLine(std::string_view line, NdbLine &fields);

// The verdict for one line (without its line break) and, when Converted, the
// definition: offset "*" and a plain body give kind "1" (the hex digits as
// written); an absolute decimal offset and a body of four plain bytes give
// kind "2". The name is taken whole; the caller cuts it to the field.
NdbVerdict ConvertNdbLine(std::string_view line, Definition &definition);

// The reason in words, for the import's summary.
const char *NdbVerdictText(NdbVerdict verdict);

} // namespace bvxtool
