// The file heuristics applied to files: the keyword score of one file and a
// running count of program files below folders.
#pragma once

#include "Heuristics.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace kernel {

// The keyword score of a file, each keyword matched exactly as written
// (letter case included) anywhere in the file. A file that cannot be read
// scores 0.
double ScanFileKeywords(const std::string &path);

// Counts program files below folders and keeps the running total.
class ProgramFileCounter {
public:
    // Adds the program files in `folder` (a path ending with "\"; empty is
    // the current folder) and every folder below it, and returns the running
    // total. A folder reached twice in one call, through a link say, is
    // counted once, so a link back into its own tree cannot loop.
    int32_t CountBelow(const std::string &folder);
    int32_t Total() const { return static_cast<int32_t>(total_); }

private:
    using FolderIdentity = std::pair<uint32_t, uint64_t>; // volume serial, file index
    void CountIn(const std::string &folder, std::set<FolderIdentity> &visited);

    uint32_t total_ = 0;
};

// The library's one counter, shared by every caller.
ProgramFileCounter &LibraryFileCounter();

} // namespace kernel
