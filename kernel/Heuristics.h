// File heuristics without definition records: a keyword score for one file,
// and a running count of program files below folders.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace kernel {

struct ScoredKeyword {
    std::string_view text;
    double weight;
};

constexpr size_t kKeywordCount = 38;

// The keywords in the order they are searched, each with its weight (most
// weigh 0).
extern const ScoredKeyword kKeywords[kKeywordCount];

// Every keyword found adds 0.37 and then its weight; the total is divided by
// 0.37. So each keyword found counts 1, and a weight w adds w / 0.37.
double KeywordScore(const std::function<bool(std::string_view keyword)> &contains);

// The keyword score of a file, each keyword matched exactly as written
// (letter case included) anywhere in the file. A file that cannot be read
// scores 0.
double ScanFileKeywords(const std::string &path);

// True when the name's extension (from its last ".") is ".exe", ".dll" or
// ".com" in any letter case.
bool IsProgramFileName(std::string_view name);

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
