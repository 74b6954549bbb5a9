// Definition lists: the plain text form of a definition base that people
// write and that `bvxtool list` prints. One definition a line, four fields
// separated by tabs: kind, name, signature, offset. Lines starting with "#"
// are comments, except the two header directives "#header1 TEXT" and
// "#header2 TEXT"; blank lines are allowed. No windows here: text in, text
// out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bvxtool {

struct Definition {
    char kind = '0';
    std::string name;
    std::string signature;
    std::string offset = "0";
};

// A definition line that repeats an earlier one exactly: the same kind,
// name, signature and offset (an offset left out reads as "0").
struct DuplicateDefinition {
    size_t line;       // the repeat
    size_t firstLine;  // where the definition came first
};

struct DefinitionList {
    std::string header1;
    std::string header2;
    std::vector<Definition> definitions;
    // Repeats found by ParseDefinitionList, in line order. They stay in
    // definitions: the base keeps every line, so that a list of it rebuilds
    // the same bytes.
    std::vector<DuplicateDefinition> duplicates;
};

// A list that cannot become a base; what() is "file:line: reason".
class ListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reason a definition cannot go into a base, or "" when it can.
std::string DefinitionProblem(const Definition &definition);

// Whether two definitions are exact repeats: every field the same.
bool SameFields(const Definition &a, const Definition &b);
// The positions of the definitions sorted by their fields, equal ones in
// their order, so that exact repeats stand side by side with the first one
// first. Positions rather than a set of texts, which a million definitions
// could not afford in 32 bits.
std::vector<uint32_t> PositionsByFields(const std::vector<Definition> &definitions);
// The reason a header text cannot be written in a list, or "" when it can.
std::string HeaderProblem(std::string_view text);

// Parses a whole list; every line is checked, the first bad one throws
// ListError naming sourceName and the line number.
DefinitionList ParseDefinitionList(std::string_view text, const std::string &sourceName);

// Hands each line of a text file's content to readLine with its number from
// 1; a UTF-8 byte order mark before the first line is skipped.
void ForEachTextLine(std::string_view text,
                     const std::function<void(std::string_view, size_t)> &readLine);

// The list text of a base: header directives, a count comment, then one line
// per definition. ParseDefinitionList of it gives the same list back.
std::string FormatDefinitionList(const DefinitionList &list);

// One definition as a list line, without the line break.
std::string FormatDefinitionLine(const Definition &definition);

// Text forms the engine compares literally.
// A signed 32-bit integer in plain decimal: an optional "-", digits without
// leading zeros (no "+", no "-0"). The size text of GetSize has this form.
bool IsDecimalInt32(std::string_view text);
// 32 lower-case hex digits, ":", and a size text.
bool IsFingerprintText(std::string_view text);
// Four byte values 0 to 255 without leading zeros, joined by "-".
bool IsOffsetSignatureText(std::string_view text);

} // namespace bvxtool
