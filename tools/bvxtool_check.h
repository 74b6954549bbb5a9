// `bvxtool check`: each base loaded alone into a fresh definition table,
// the way the scanner loads it, and reported: its headers, its records by
// kind, or why it did not load.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace scanner {
struct BaseFailure;
}

namespace bvxtool {

// arguments: BASE...; 0 when every base loaded, 2 otherwise.
int CheckCommand(const std::vector<std::string> &arguments, std::ostream &out,
                 std::ostream &err);

// Why a base did not load, in words (without its path): "not loaded: ..."
// or, for a base that overflowed the table, how many of its records were
// kept and how many did not fit.
std::string BaseFailureText(const scanner::BaseFailure &failure);

} // namespace bvxtool
