// The signature search: does a byte pattern occur in a file at or after a
// start offset, and where first. The hex signature exports and the keyword
// heuristic share it.
//
// The matching core works on a ByteSource, so it needs no operating system;
// SearchFile (SignatureSearchFile.h, in the engine) is the Win32 side
// (opening, share mode, case forms of the ANSI code page).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kernel {

enum class PatternKind { Hex = 1, ExactText = 2, CaseBlindText = 3 };

// A pattern of Size() bytes: file byte k of an occurrence must equal
// forms[0][k] or forms[1][k]. Exact kinds hold the same bytes in both rows.
class SearchPattern {
public:
    SearchPattern() = default;
    // Rows of different lengths give the exact pattern of `first`.
    SearchPattern(std::string first, std::string second);

    size_t Size() const { return first_.size(); }
    bool Empty() const { return first_.empty(); }
    const std::string &First() const { return first_; }
    const std::string &Second() const { return second_; }
    bool Matches(size_t index, unsigned char byte) const {
        return static_cast<unsigned char>(first_[index]) == byte ||
               static_cast<unsigned char>(second_[index]) == byte;
    }

private:
    std::string first_;
    std::string second_;
};

// The hex pattern text: up to its first zero byte, only the digits 0-9, A-F,
// a-f count (in either case), an odd last digit is dropped, and each pair
// gives one byte, high half first. No digits give the empty pattern.
SearchPattern HexPattern(std::string_view text);

// Each character is one byte, compared exactly.
SearchPattern ExactTextPattern(std::string_view text);

// Each position matches either its upper-case or its lower-case form; the
// two texts are the same text folded each way and have the same length.
SearchPattern CaseBlindPattern(std::string_view upperForms, std::string_view lowerForms);

// Where the data of a search comes from: each Read delivers the bytes that
// follow the previous read.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to `capacity` bytes; returns how many it delivered, 0 at the
    // end of the data, or -1 when the read failed.
    virtual int64_t Read(unsigned char *buffer, size_t capacity) = 0;
};

// How much the search asks for per read.
constexpr size_t kSearchReadSize = 256 * 1024;

// The lowest index i with the whole pattern at data[i..i+Size()), or -1.
int64_t FindInBuffer(const unsigned char *data, size_t length, const SearchPattern &pattern);

// Searches the data of `source`, whose first byte lies at file position
// `origin`; returns the file position of the first occurrence, or -1 when
// there is none, the pattern is empty, or a read fails. Occurrences that span
// two reads are found.
int64_t SearchSource(ByteSource &source, const SearchPattern &pattern, int64_t origin,
                     size_t readSize = kSearchReadSize);

// The pattern text turned into a pattern of `kind`; case-blind forms come from
// the system's ANSI code page. An unknown kind gives the empty pattern.
SearchPattern MakeSearchPattern(std::string_view text, PatternKind kind);

} // namespace kernel
