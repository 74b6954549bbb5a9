// The pattern set: which patterns occur in a stream of bytes, whatever the
// chunks it comes in; and the hex pattern text it is built from.
#include "HexPattern.h"
#include "PatternSet.h"
#include "SignatureSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

// The ids found in `data` fed in chunks of chunkSize, as a set; fails when an
// id is reported twice.
std::set<int32_t> FoundIn(kernel::TPatternScan &scan, const std::string &data, size_t chunkSize) {
    scan.Reset();
    for (size_t at = 0; at < data.size(); at += chunkSize)
        scan.Feed(reinterpret_cast<const unsigned char *>(data.data()) + at,
                  std::min(chunkSize, data.size() - at));
    const std::set<int32_t> found(scan.Found().begin(), scan.Found().end());
    EXPECT_EQ(found.size(), scan.Found().size()) << "an id reported twice";
    return found;
}

const size_t kChunkSizes[] = {1, 2, 3, 5, 64, 4096, 1 << 20};

struct MatchCase {
    const char *Label;
    std::string Data;
    std::vector<std::string> Patterns;
    std::set<size_t> Expected; // indexes into Patterns
};

TEST(PatternSet, FindsEveryPatternThatOccursWhateverTheChunks) {
    const std::string mz = Bytes({0x4D, 0x5A, 0x90, 0x00});
    const std::string tail = std::string(5000, 'q') + "TAILEND";
    const std::string longPattern(100, '\x7E');
    const MatchCase cases[] = {
        {"empty data", "", {"a", "ab", "abcd"}, {}},
        {"one byte", "a", {"a", "b", "aa"}, {0}},
        {"short patterns", "xabcx", {"a", "ab", "abc", "bcx", "cxy", "abcx", "xabcx", "xabcxy"},
         {0, 1, 2, 3, 5, 6}},
        {"at offset 0 and at the very end", mz + "middle" + "END!", {mz, "END!", "END!!", "Q"},
         {0, 1}},
        {"far from the start", tail, {"TAILEND", "qqqqT", "TAILENDX"}, {0, 1}},
        {"zero bytes", Bytes({0, 0, 0, 0, 0, 1}), {Bytes({0}), Bytes({0, 0, 0, 0, 0}), Bytes({0, 1}),
                                                   Bytes({1, 0})},
         {0, 1, 2}},
        {"overlapping occurrences", "aaaaaaab", {"aaaaaaa", "aaaaaaab", "aaab", "aab", "baaa"},
         {0, 1, 2, 3}},
        {"a 100-byte pattern", "<" + longPattern + ">", {longPattern, longPattern + ">",
                                                         longPattern + longPattern},
         {0, 1}},
        {"same atom, different patterns", "xxWXYZ1234xx", {"WXYZ1234", "WXYZ9999", "0WXYZ1234",
                                                         "WXYZ1234xx"},
         {0, 3}},
        {"bytes above 0x7F", Bytes({0xFF, 0xFE, 0x80, 0x81, 0x82}),
         {Bytes({0xFE, 0x80, 0x81}), Bytes({0xFF, 0xFE, 0x80, 0x81, 0x82}), Bytes({0x82, 0xFF})},
         {0, 1}},
        {"empty pattern never occurs", "abc", {"", "abc"}, {1}},
    };
    for (const MatchCase &test : cases) {
        kernel::TPatternSet set;
        std::vector<int32_t> ids;
        for (const std::string &pattern : test.Patterns)
            ids.push_back(set.Add(pattern));
        set.Seal();
        std::set<int32_t> expected;
        for (size_t index : test.Expected)
            expected.insert(ids[index]);
        kernel::TPatternScan scan(set);
        for (size_t chunk : kChunkSizes)
            EXPECT_EQ(FoundIn(scan, test.Data, chunk), expected)
                << test.Label << ", chunks of " << chunk;
    }
}

TEST(PatternSet, EqualPatternsShareAnIdAndTheEmptyOneHasNone) {
    kernel::TPatternSet set;
    EXPECT_EQ(set.Add("MZ"), 0);
    EXPECT_EQ(set.Add("PE\0\0"), 1);
    EXPECT_EQ(set.Add("MZ"), 0);
    EXPECT_EQ(set.Add(""), -1);
    EXPECT_EQ(set.Add(std::string("PE\0\0", 4)), 2);
    set.Seal();
    EXPECT_EQ(set.Size(), 3u);
    EXPECT_EQ(set.Pattern(2), std::string("PE\0\0", 4));
    EXPECT_EQ(set.MaxLength(), 4u);
}

// Random sets against a plain search of each pattern, over data of a few
// letters so that patterns of every length both occur and fail.
TEST(PatternSet, AgreesWithAPlainSearchOnRandomSets) {
    std::mt19937 random(7031);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    int occurring = 0, absent = 0;
    for (int round = 0; round < 300; ++round) {
        const char alphabet = static_cast<char>(2 + pick(5));
        std::string data(pick(3000), '\0');
        for (char &c : data)
            c = static_cast<char>('a' + pick(static_cast<size_t>(alphabet)));
        kernel::TPatternSet set;
        std::vector<std::string> patterns;
        for (size_t i = 0, n = 1 + pick(40); i < n; ++i) {
            std::string pattern;
            if (!data.empty() && pick(2) == 0) {
                pattern = data.substr(pick(data.size()), 1 + pick(100));
            } else {
                pattern.resize(pick(12));
                for (char &c : pattern)
                    c = static_cast<char>('a' + pick(static_cast<size_t>(alphabet)));
            }
            patterns.push_back(pattern);
        }
        std::vector<int32_t> ids;
        for (const std::string &pattern : patterns)
            ids.push_back(set.Add(pattern));
        set.Seal();
        std::set<int32_t> expected;
        for (size_t i = 0; i < patterns.size(); ++i) {
            const bool occurs = !patterns[i].empty() && data.find(patterns[i]) != std::string::npos;
            if (occurs)
                expected.insert(ids[i]);
            (occurs ? occurring : absent)++;
        }
        kernel::TPatternScan scan(set);
        for (size_t chunk : {size_t{1}, size_t{7}, size_t{99}, size_t{100}, size_t{101}, size_t{4096}})
            ASSERT_EQ(FoundIn(scan, data, chunk), expected) << "round " << round << " chunk " << chunk;
    }
    EXPECT_GT(occurring, 1000);
    EXPECT_GT(absent, 1000);
}

// A thousand patterns over two letters share most of their atom values, so
// the atom tables hold long runs of equal atoms; some patterns are longer
// than the part of a pattern weighed for its atom, and longer than a chunk.
TEST(PatternSet, ManyPatternsSharingAtomsAgreeWithAPlainSearch) {
    std::mt19937 random(4242);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::string data(20000, 'a');
    for (char &c : data)
        c = pick(8) == 0 ? 'b' : 'a';
    kernel::TPatternSet set;
    std::vector<std::string> patterns;
    for (int i = 0; i < 1000; ++i) {
        const size_t length = i % 10 == 0 ? 140 + pick(300) : 4 + pick(30);
        std::string pattern = data.substr(pick(data.size() - length), length);
        if (pick(2) == 0)
            pattern[pick(length)] ^= 4; // a letter that never occurs: absent
        patterns.push_back(pattern);
    }
    std::vector<int32_t> ids;
    for (const std::string &pattern : patterns)
        ids.push_back(set.Add(pattern));
    set.Seal();
    std::set<int32_t> expected;
    for (size_t i = 0; i < patterns.size(); ++i)
        if (data.find(patterns[i]) != std::string::npos)
            expected.insert(ids[i]);
    ASSERT_GT(expected.size(), 300u);
    ASSERT_GT(set.Size() - expected.size(), 300u);
    kernel::TPatternScan scan(set);
    for (size_t chunk : {size_t{1}, size_t{100}, size_t{4096}})
        EXPECT_EQ(FoundIn(scan, data, chunk), expected) << "chunks of " << chunk;
}

// The patterns of `patterns` that occur in `data`, by the plain search of
// each alone.
std::set<size_t> PlainSearchFinds(const std::string &data, const std::vector<std::string> &patterns) {
    std::set<size_t> found;
    for (size_t i = 0; i < patterns.size(); ++i)
        if (kernel::FindInBuffer(reinterpret_cast<const unsigned char *>(data.data()), data.size(),
                                 kernel::ExactTextPattern(patterns[i])) >= 0)
            found.insert(i);
    return found;
}

// Filler that occurs nowhere in the data of the table below: it makes a set
// large, so that it is searched through its atoms rather than its strided
// grams.
std::vector<std::string> AbsentFiller(size_t count) {
    std::vector<std::string> filler;
    for (size_t i = 0; i < count; ++i)
        filler.push_back("\x01" "absent\x02" + std::to_string(i * 7919));
    return filler;
}

// The strided grams test only every Stride-th position of each feed and the
// seam across two feeds at every position: each pattern length class (4-7,
// 8-15, 16 and more bytes), each position of an occurrence against the
// stride and the chunk borders, repeated bytes (many grams of one value) and
// overlapping occurrences. Each case runs as a small set and again inside a
// large one; both must find what the plain search of each pattern finds.
TEST(PatternSet, StridedGramsAndAtomsAgreeWithThePlainSearch) {
    struct GramCase {
        const char *Label;
        std::vector<std::string> Patterns;
        std::string Data;
    };
    const std::string noise = "qwertyuiopasdfghjklzxcvbnm0123456789QWERTYUIOPASDFGHJKLZXCVBNM";
    auto around = [&](size_t before, const std::string &middle, size_t after) {
        return noise.substr(0, before) + middle + noise.substr(0, after);
    };
    const std::string zeros(40, '\0');
    const GramCase cases[] = {
        {"each class alone at the very start", {"ABCD", "ABCDEFGH", "ABCDEFGHIJKLMNOP"}, "ABCDEFGHIJKLMNOPxx"},
        {"each class at the very end", {"WXYZ", "STUVWXYZ", "KLMNOPQRSTUVWXYZ"}, around(37, "KLMNOPQRSTUVWXYZ", 0)},
        {"a whole buffer and one byte more", {"ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQRSTUV"},
         "ABCDEFGHIJKLMNOPQRSTU"},
        {"every offset against the stride", {"Stride+3bytes", "a8bytes!", "four"},
         around(1, "Stride+3bytes", 2) + around(3, "a8bytes!", 5) + around(7, "four", 11) +
             around(13, "Stride+3bytes", 0)},
        {"the shortest of a class sets its stride", {"12345678", "123456789ABCDEF", "89ABCDE"},
         around(5, "123456789ABCDEF", 3)},
        {"near misses", {"ABCDEFGH", "ABCDEFGX", "XBCDEFGH", "ABCDEFGHI"}, around(9, "ABCDEFGH", 9)},
        {"repeated bytes", {std::string(20, 'a'), std::string(12, 'a') + "b", "aaab", "baaaaaaa", "aaaaaaaaaaaaaaaaaaaaa"},
         std::string(20, 'a') + "b"},
        {"zero runs", {zeros.substr(0, 9) + "MZ", zeros.substr(0, 30), zeros + "X", "\x7F" + zeros.substr(0, 7)},
         zeros.substr(0, 35) + "MZ" + "\x7F" + zeros.substr(0, 8)},
        {"overlapping occurrences", {"abcabcab", "cabcabca", "abcabcabcabcabcabc", "bcabcabcX"},
         "xabcabcabcabcabcabcy"},
        {"one pattern inside another", {"inner", "the inner part", "outer inner part"}, around(4, "the inner part", 4)},
        {"long patterns", {noise + noise, noise.substr(3) + noise.substr(0, 40), noise + "!"}, noise + noise + noise},
    };
    for (const GramCase &test : cases) {
        const std::set<size_t> expected = PlainSearchFinds(test.Data, test.Patterns);
        for (size_t fillers : {size_t{0}, size_t{5000}}) {
            std::vector<std::string> patterns = test.Patterns;
            const std::vector<std::string> filler = AbsentFiller(fillers);
            patterns.insert(patterns.end(), filler.begin(), filler.end());
            ASSERT_EQ(PlainSearchFinds(test.Data, patterns), expected) << test.Label << ": filler found";
            kernel::TPatternSet set;
            std::vector<int32_t> ids;
            for (const std::string &pattern : patterns)
                ids.push_back(set.Add(pattern));
            set.Seal();
            std::set<int32_t> expectedIds;
            for (size_t index : expected)
                expectedIds.insert(ids[index]);
            kernel::TPatternScan scan(set);
            for (size_t chunk = 1; chunk <= test.Data.size() + 1; ++chunk)
                EXPECT_EQ(FoundIn(scan, test.Data, chunk), expectedIds)
                    << test.Label << ", " << patterns.size() << " patterns, chunks of " << chunk;
        }
    }
}

// Random sets of a few to some thousands of patterns of every length class
// on data from small alphabets, in random chunks, against the plain search:
// the sets below the small-set limit use the strided grams, the others the
// atoms.
TEST(PatternSet, SetsOfEverySizeAgreeWithThePlainSearchInRandomChunks) {
    std::mt19937 random(20261211);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (size_t count : {size_t{1}, size_t{3}, size_t{30}, size_t{300}, size_t{4096}, size_t{4097}}) {
        for (int round = 0; round < 3; ++round) {
            const size_t alphabet = 2 + pick(3);
            std::string data(3000 + pick(3000), '\0');
            for (char &c : data)
                c = static_cast<char>('a' + pick(alphabet));
            std::vector<std::string> patterns;
            for (size_t i = 0; i < count; ++i) {
                const size_t length = 4 + pick(pick(4) == 0 ? 60 : 14);
                std::string pattern = data.substr(pick(data.size() - length), length);
                if (pick(2) == 0)
                    pattern[pick(length)] = static_cast<char>('a' + pick(alphabet + 1));
                patterns.push_back(pattern);
            }
            kernel::TPatternSet set;
            std::vector<int32_t> ids;
            for (const std::string &pattern : patterns)
                ids.push_back(set.Add(pattern));
            set.Seal();
            std::set<int32_t> expected;
            for (size_t index : PlainSearchFinds(data, patterns))
                expected.insert(ids[index]);
            kernel::TPatternScan scan(set);
            scan.Reset();
            for (size_t at = 0; at < data.size();) {
                const size_t chunk = std::min(data.size() - at, 1 + pick(pick(2) ? 20 : 2000));
                scan.Feed(reinterpret_cast<const unsigned char *>(data.data()) + at, chunk);
                at += chunk;
            }
            const std::set<int32_t> found(scan.Found().begin(), scan.Found().end());
            EXPECT_EQ(found.size(), scan.Found().size()) << count << " patterns: an id reported twice";
            EXPECT_EQ(found, expected) << count << " patterns, round " << round;
        }
    }
}

TEST(PatternSet, AnEmptySetFindsNothing) {
    kernel::TPatternSet set;
    set.Seal();
    kernel::TPatternScan scan(set);
    EXPECT_TRUE(FoundIn(scan, "anything at all", 3).empty());
}

TEST(HexPattern, ReadsPatternTextAsTheSearchDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"4D 5A 90 00", Bytes({0x4D, 0x5A, 0x90, 0x00})},
        {"4d5a9000", Bytes({0x4D, 0x5A, 0x90, 0x00})},
        {"4D-5A-90-00", Bytes({0x4D, 0x5A, 0x90, 0x00})},
        {"4D??5A", Bytes({0x4D, 0x5A})},
        {"4D5A9", Bytes({0x4D, 0x5A})},
        {"0x4D5A", Bytes({0x04, 0xD5})},
        {"Virus", ""},
        {"", ""},
        {"F", ""},
        {"aB\ncD,eF", Bytes({0xAB, 0xCD, 0xEF})},
        {std::string("41\0" "42", 5), Bytes({0x41})},
        {"GHIJ 12 xyz 3", Bytes({0x12})},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(kernel::HexPatternBytes(test.first), test.second) << test.first;
        // The engine's search builds its pattern from the same reading.
        EXPECT_EQ(kernel::HexPattern(test.first).First(), test.second) << test.first;
    }
}

} // namespace
