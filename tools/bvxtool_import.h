// `bvxtool import`: signature database files (.cvd, .cld, bare archives) and
// loose signature lists (.hdb, .hsb, .ndb) turned into definition bases, one
// per input, written into the bases folder only when every input was read.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace bvxtool {

// arguments: [--out DIR] FILE...; 0 when every base was written, 2 otherwise
// (and then nothing was written).
int ImportCommand(const std::vector<std::string> &arguments, std::ostream &out,
                  std::ostream &err);

} // namespace bvxtool
