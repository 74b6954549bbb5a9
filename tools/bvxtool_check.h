// `bvxtool check`: each base loaded alone into a fresh definition table,
// the way the scanner loads it, and reported: its headers, its records by
// kind, or why it did not load.
#pragma once

#include <cstdint>
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

// The records a base announces in its header (its RecordCount + 1), read
// from the start of its container alone; false when no header can be read.
bool AnnouncedRecords(const std::string &basePath, int64_t &records);

// Why a base did not load, in words (without its path): "not loaded: ..."
// or, for a base that overflowed the table, how many of its records were
// kept and how many did not fit.
std::string BaseFailureText(const scanner::BaseFailure &failure);

} // namespace bvxtool
