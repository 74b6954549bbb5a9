// The search core from a table of {data, pattern, start, position} rows, rerun
// with many read sizes and short reads so that every occurrence also lands
// across read borders.
#include "SearchHelpers.h"

#include <gtest/gtest.h>

#include <random>

using kernel::SearchPattern;
using searchtest::MemorySource;
using searchtest::SearchFrom;

namespace {

struct Row {
    std::string data;
    SearchPattern pattern;
    int64_t start;
    int64_t expected;
};

SearchPattern Text(const std::string &text) { return kernel::ExactTextPattern(text); }

std::vector<Row> Table() {
    const std::string twice = "ABCxABC";
    return {
        {"xxABCxx", Text("ABC"), 0, 2},
        {"ABC", Text("ABC"), 0, 0},
        {"xxABC", Text("ABC"), 0, 2},       // ends exactly at the end
        {"xxAB", Text("ABC"), 0, -1},       // would run past the end
        {"AB", Text("ABC"), 0, -1},
        {twice, Text("ABC"), 0, 0},
        {twice, Text("ABC"), 1, 4},
        {twice, Text("ABC"), 4, 4},
        {twice, Text("ABC"), 5, -1},
        {twice, Text("ABC"), 7, -1},
        {twice, Text("ABC"), 100, -1},
        {twice, Text("ABC"), -5, 0},
        {"", Text("A"), 0, -1},
        {"AAAB", Text("AAB"), 0, 1},
        {"AAAAAAAAAB", Text("AAAAB"), 0, 5},
        {"abababac", Text("abac"), 0, 4},
        {std::string("\0\0\x01", 3), Text("\x01"), 0, 2},
        {std::string("\0\0\0\0\x01", 5), kernel::HexPattern("00 00 01"), 0, 2},
        {"xxaBcxx", kernel::CaseBlindPattern("ABC", "abc"), 0, 2},
        {"xxabCabc", kernel::CaseBlindPattern("ABC", "abc"), 3, 5},
        {"xxABxx", kernel::CaseBlindPattern("ABC", "abc"), 0, -1},
        {"xxABCxx", SearchPattern(), 0, -1},
    };
}

} // namespace

TEST(SearchTable, EveryRowAtEveryReadSize) {
    const size_t readSizes[] = {1, 2, 3, 5, 8, 64, 8192, kernel::kSearchReadSize};
    const size_t longestReads[] = {1, 3, SIZE_MAX};
    for (const Row &row : Table()) {
        for (size_t readSize : readSizes) {
            for (size_t longestRead : longestReads) {
                EXPECT_EQ(SearchFrom(row.data, row.pattern, row.start, readSize, longestRead),
                          row.expected)
                    << '"' << row.data << "\" for \"" << row.pattern.First() << "\" from "
                    << row.start << ", reads of " << readSize << " up to " << longestRead;
            }
        }
    }
}

TEST(SearchTable, StopsReadingOnceFound) {
    std::string data(1 << 20, '.');
    data.replace(100, 3, "ABC");
    MemorySource source(data);
    EXPECT_EQ(kernel::SearchSource(source, Text("ABC"), 0, 64), 100);
    EXPECT_EQ(source.reads(), 2u);
    EXPECT_EQ(source.consumed(), 128u);
}

TEST(SearchTable, ReadFailureEndsWithoutPosition) {
    std::string data(1000, '.');
    data.replace(500, 3, "ABC");
    MemorySource failsFirst(data, SIZE_MAX, 0);
    EXPECT_EQ(kernel::SearchSource(failsFirst, Text("ABC"), 0, 100), -1);
    MemorySource failsBefore(data, SIZE_MAX, 3);
    EXPECT_EQ(kernel::SearchSource(failsBefore, Text("ABC"), 0, 100), -1);
    MemorySource failsAfter(data, SIZE_MAX, 7);
    EXPECT_EQ(kernel::SearchSource(failsAfter, Text("ABC"), 0, 100), 500);
}

TEST(SearchTable, PositionsCountFromTheOrigin) {
    MemorySource source("..ABC");
    EXPECT_EQ(kernel::SearchSource(source, Text("ABC"), 5000000000LL, 2), 5000000002LL);
}

TEST(SearchTable, PatternsLongerThanAThousandBytes) {
    std::mt19937 random(11);
    std::string pattern(3000, '\0');
    for (char &byte : pattern)
        byte = static_cast<char>(random());
    std::string data(20000, '\0');
    data.replace(8000, pattern.size(), pattern);
    for (size_t readSize : {size_t{1000}, size_t{8192}, kernel::kSearchReadSize})
        EXPECT_EQ(SearchFrom(data, Text(pattern), 0, readSize), 8000) << readSize;
    EXPECT_EQ(SearchFrom(data, Text(pattern), 8001, 8192), -1);
    EXPECT_EQ(SearchFrom(data.substr(0, 10999), Text(pattern), 0, 8192), -1);
}
