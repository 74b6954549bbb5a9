// The plain content of a definition base (what its container holds): a
// header and one fixed record per definition. Making it from a definition
// list and reading a list back from it; no windows here.
#pragma once

#include "DefinitionList.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace bvxtool {

// Content that cannot be read as a base at all.
class BaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The base content of a list: unused bytes of every field are zero, so the
// same list always gives the same bytes. RecordCount holds the index of the
// last record ("-1" for no record).
std::string EncodeBase(const DefinitionList &list);

struct DecodedBase {
    DefinitionList list;
    // What `make` would refuse or write differently, one text each.
    std::vector<std::string> warnings;
};

// What a failure of the engine's base exports means for a base file, in
// words, with the engine's own text kept in brackets ("error -5" becomes "not
// a definition base (not bzip2 data)"); other texts come back unchanged.
std::string BaseErrorText(const std::string &engineMessage);

// Reads a base's header and records. Throws BaseError when the content is
// shorter than a header or its count is not an integer; anything that would
// keep a list of it from rebuilding the same bytes becomes a warning.
DecodedBase DecodeBase(const std::string &content);

} // namespace bvxtool
