// The fast search against the plain byte-by-byte search on random data:
// small alphabets make occurrences, near-misses and repeated bytes common.
#include "PatternScan.h"
#include "SearchHelpers.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

using kernel::SearchPattern;
using searchtest::ReferenceSearch;

namespace {

class RandomCase {
public:
    explicit RandomCase(unsigned seed) : random_(seed) {}

    size_t Below(size_t limit) { return static_cast<size_t>(random_() % limit); }

    // Bytes from an alphabet of 1, 2, 3, 4 or 256 values.
    std::string Data(size_t size) {
        static const size_t alphabets[] = {1, 2, 3, 4, 256};
        size_t alphabet = alphabets[Below(5)];
        unsigned char base = static_cast<unsigned char>(Below(256));
        std::string data(size, '\0');
        for (char &byte : data)
            byte = static_cast<char>(base + Below(alphabet));
        return data;
    }

    // Mostly a piece of the data, sometimes altered, sometimes unrelated;
    // long patterns only for small data, which keeps the reference quick.
    std::string PatternFor(const std::string &data) {
        size_t longest = data.size() <= 2000 && Below(4) == 0 ? 300 : 12;
        size_t length = 1 + Below(longest);
        std::string pattern;
        if (data.size() >= length && Below(4) != 0)
            pattern = data.substr(Below(data.size() - length + 1), length);
        else
            pattern = Data(length);
        if (Below(3) == 0)
            pattern[Below(length)] ^= static_cast<char>(1 + Below(255));
        return pattern;
    }

    // Two forms per position that differ in bit 5, as ASCII letter cases do;
    // the text's own byte is always one of them.
    SearchPattern CaseBlind(const std::string &text) {
        std::string withBit = text, withoutBit = text;
        for (size_t k = 0; k < text.size(); ++k) {
            withBit[k] = static_cast<char>(text[k] | 0x20);
            withoutBit[k] = static_cast<char>(text[k] & ~0x20);
        }
        return kernel::CaseBlindPattern(withBit, withoutBit);
    }

private:
    std::mt19937 random_;
};

void ExpectAllAgree(const std::string &data, const SearchPattern &pattern, RandomCase &random,
                    const std::string &label) {
    auto bytes = reinterpret_cast<const unsigned char *>(data.data());
    int64_t whole = ReferenceSearch(data, pattern, 0);
    if (data.size() >= pattern.Size()) {
        ASSERT_EQ(kernel::patternscan::FindPortable(bytes, data.size(), pattern), whole) << label;
        if (kernel::patternscan::HasSse2()) {
            ASSERT_EQ(kernel::patternscan::FindSse2(bytes, data.size(), pattern), whole) << label;
        }
    }
    int64_t start = static_cast<int64_t>(random.Below(data.size() + 2)) - 1;
    size_t readSize = 1 + random.Below(random.Below(2) ? 40 : 5000);
    size_t longestRead = 1 + random.Below(6000);
    ASSERT_EQ(searchtest::SearchFrom(data, pattern, start, readSize, longestRead),
              ReferenceSearch(data, pattern, start))
        << label << " from " << start << ", reads of " << readSize << " up to " << longestRead;
}

} // namespace

TEST(DifferentialSearch, ExactPatternsAgreeWithTheReference) {
    RandomCase random(20261208);
    for (int round = 0; round < 4000; ++round) {
        std::string data = random.Data(random.Below(random.Below(8) == 0 ? 70000 : 600));
        std::string pattern = random.PatternFor(data);
        ExpectAllAgree(data, kernel::ExactTextPattern(pattern), random,
                       "round " + std::to_string(round));
    }
}

TEST(DifferentialSearch, CaseBlindPatternsAgreeWithTheReference) {
    RandomCase random(77);
    for (int round = 0; round < 3000; ++round) {
        std::string data = random.Data(random.Below(2000));
        SearchPattern pattern = random.CaseBlind(random.PatternFor(data));
        ExpectAllAgree(data, pattern, random, "round " + std::to_string(round));
    }
}

TEST(DifferentialSearch, OneByteValuePatternsInOneByteValueData) {
    RandomCase random(5);
    for (size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 1000u}) {
        for (size_t length : {1u, 2u, 15u, 16u, 17u, 40u}) {
            std::string data(size, 'Z');
            ExpectAllAgree(data, kernel::ExactTextPattern(std::string(length, 'Z')), random,
                           std::to_string(size) + "/" + std::to_string(length));
            data.push_back('Y');
            std::string pattern(length - 1, 'Z');
            ExpectAllAgree(data, kernel::ExactTextPattern(pattern + "Y"), random,
                           std::to_string(size) + "/" + std::to_string(length) + "+Y");
        }
    }
}

TEST(DifferentialSearch, FilesAgreeWithTheReference) {
    testsupport::TempDir dir;
    RandomCase random(9);
    const std::string path = dir.file("random.bin");
    for (int round = 0; round < 150; ++round) {
        std::string data = random.Data(1 + random.Below(round % 10 == 0 ? 600000 : 20000));
        testsupport::WriteFile(path, data);
        for (int query = 0; query < 4; ++query) {
            std::string pattern = random.PatternFor(data);
            int64_t start = static_cast<int64_t>(random.Below(data.size() + 2)) - 1;
            ASSERT_EQ(kernel::SearchFile(path, pattern, start, kernel::PatternKind::ExactText),
                      ReferenceSearch(data, kernel::ExactTextPattern(pattern), start))
                << "round " << round << " query " << query;
        }
    }
}
