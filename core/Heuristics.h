// The keyword score of the file heuristics and the program-file name rule,
// apart from the files they are applied to.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// True when the name's extension (from its last ".") is ".exe", ".dll" or
// ".com" in any letter case.
bool IsProgramFileName(std::string_view name);

} // namespace kernel
