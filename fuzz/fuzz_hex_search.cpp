// Hex pattern text and the signature search. The pattern must be the bytes
// a reference reading of the text gives; both buffer scans, and the read
// loop fed in reads of any size, must find the first occurrence that a naive
// search finds, for exact and for case-blind patterns.
#include "FuzzSupport.h"

#include "PatternScan.h"
#include "SignatureSearch.h"

#include <algorithm>
#include <cctype>
#include <string>

using namespace kernel;
using fuzzsupport::InputReader;
using fuzzsupport::Require;
using fuzzsupport::SizeSequence;

namespace {

int HexValue(char c) {
    const std::string digits = "0123456789abcdef";
    size_t at = digits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

// Up to the first zero byte, hex digits only, pairs high half first, an odd
// last digit dropped.
std::string ReferenceHexBytes(const std::string &text) {
    std::string digits;
    for (char c : text.substr(0, text.find('\0')))
        if (HexValue(c) >= 0)
            digits += c;
    std::string bytes;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(HexValue(digits[i]) * 16 + HexValue(digits[i + 1]));
    return bytes;
}

int64_t NaiveFind(const std::string &data, const SearchPattern &pattern) {
    if (pattern.Empty())
        return -1;
    for (size_t at = 0; at + pattern.Size() <= data.size(); ++at) {
        size_t k = 0;
        while (k < pattern.Size() && pattern.Matches(k, static_cast<unsigned char>(data[at + k])))
            ++k;
        if (k == pattern.Size())
            return static_cast<int64_t>(at);
    }
    return -1;
}

// Hands out the data in pieces of varying size, never more than asked.
class PieceSource : public ByteSource {
public:
    PieceSource(const std::string &data, SizeSequence sizes) : data_(data), sizes_(sizes) {}
    int64_t Read(unsigned char *buffer, size_t capacity) override {
        size_t count = std::min({capacity, sizes_.Next(), data_.size() - position_});
        std::copy_n(data_.data() + position_, count, buffer);
        position_ += count;
        return static_cast<int64_t>(count);
    }

private:
    const std::string &data_;
    SizeSequence sizes_;
    size_t position_ = 0;
};

void RequireFoundAlike(const std::string &data, const SearchPattern &pattern, uint8_t seed,
                       size_t readSize) {
    const int64_t expected = NaiveFind(data, pattern);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    Require(FindInBuffer(bytes, data.size(), pattern) == expected, "FindInBuffer finds the first");
    if (!pattern.Empty() && pattern.Size() <= data.size()) {
        Require(patternscan::FindPortable(bytes, data.size(), pattern) == expected,
                "the portable scan finds the first");
        if (patternscan::HasSse2())
            Require(patternscan::FindSse2(bytes, data.size(), pattern) == expected,
                    "the SSE2 scan finds the first");
    }
    const int64_t origin = seed * 1000;
    PieceSource source(data, SizeSequence(seed, 1 + readSize));
    Require(SearchSource(source, pattern, origin, readSize) ==
                (expected < 0 ? -1 : origin + expected),
            "the read loop finds the first across reads");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t seed = input.Byte();
    const size_t readSize = 1 + input.Byte() % 64;
    const std::string text = input.Text(input.Byte());
    const std::string haystack = input.Rest();

    const SearchPattern hex = HexPattern(text);
    Require(hex.First() == ReferenceHexBytes(text) && hex.Second() == hex.First(),
            "hex pattern bytes are the reference reading of the text");
    RequireFoundAlike(haystack, hex, seed, readSize);

    const SearchPattern exact = ExactTextPattern(text);
    Require(exact.First() == text && exact.Second() == text, "exact text is its own pattern");
    RequireFoundAlike(haystack, exact, seed, readSize);

    std::string upper = text, lower = text;
    for (char &c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    RequireFoundAlike(haystack, CaseBlindPattern(upper, lower), seed, readSize);
    return 0;
}
