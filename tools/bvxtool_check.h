// `bvxtool check`: each base loaded alone into a fresh definition table,
// the way the scanner loads it, and reported: its headers, its records by
// kind, or why it did not load.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace bvxtool {

// arguments: BASE...; 0 when every base loaded, 2 otherwise.
int CheckCommand(const std::vector<std::string> &arguments, std::ostream &out,
                 std::ostream &err);

} // namespace bvxtool
