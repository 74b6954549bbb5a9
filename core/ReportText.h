// Texts that bvxtool prints: counts with the right noun form, and the
// reading of mixed output text, where paths from the walk are UTF-8 and
// names from bases or the command line are in the ANSI code page. No
// windows here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bvxtool {

// "1 definition", "2 definitions", "0 definitions".
std::string Counted(int64_t count, std::string_view singular, std::string_view plural);

// What is said of kind "2" definitions whose Offset is not an integer:
// "2 definitions of kind 2 ...", never used by the scan.
std::string UnusedOffsetsText(int64_t count);

// A stretch of output text in one encoding.
struct TextRun {
    bool utf8 = true;  // well-formed UTF-8 (ASCII included); else ANSI bytes
    std::string bytes;
};

// Splits text into maximal runs of well-formed UTF-8 and runs of bytes that
// are no part of a well-formed sequence, which are read as ANSI. ANSI text
// of letters above 127 practically never forms valid UTF-8 sequences, so a
// line that joins a UTF-8 path and an ANSI definition name reads right.
std::vector<TextRun> SplitTextRuns(std::string_view text);

// The length of the well-formed UTF-8 sequence at the start of text
// (1 to 4), or 0 when it does not start with one. Overlong forms,
// surrogates and code points above U+10FFFF are not well-formed.
size_t Utf8SequenceLength(std::string_view text);

} // namespace bvxtool
