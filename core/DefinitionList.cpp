#include "DefinitionList.h"

#include "OffsetSignature.h"

#include <brenvald/DefinitionTable.h>

#include <algorithm>
#include <tuple>

namespace bvxtool {

namespace {

using brenvald::kHeaderTextCapacity;
using brenvald::kNameCapacity;
using brenvald::kSignatureCapacity;
// The scanner's table holds this many slots; a bigger base never loads whole.
using brenvald::kSlotCount;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLowerHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f'); }
bool IsHexDigit(char c) { return IsLowerHexDigit(c) || (c >= 'A' && c <= 'F'); }

// Digits only, no leading zero unless the number is 0, at most maxValue.
bool IsPlainUnsigned(std::string_view digits, uint64_t maxValue) {
    if (digits.empty() || digits.size() > 10)
        return false;
    if (digits.size() > 1 && digits[0] == '0')
        return false;
    uint64_t value = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= maxValue;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::string TooLong(const char *what, size_t limit, size_t length) {
    return std::string(what) + " is longer than " + std::to_string(limit) + " characters (" +
           std::to_string(length) + ")";
}

std::string FingerprintProblem(std::string_view signature) {
    if (IsFingerprintText(signature))
        return "";
    for (char c : signature.substr(0, 32))
        if (c >= 'A' && c <= 'F')
            return "kind 0 signature has upper-case hex digits; fingerprints are lower case";
    return "kind 0 signature is not a fingerprint (32 lower-case hex digits, \":\", the file "
           "size)";
}

// The engine drops anything but hex digits from a pattern without notice, and
// an odd last digit too, so such a definition would search for something else
// than its author wrote.
std::string HexPatternProblem(std::string_view signature) {
    size_t digits = 0;
    for (char c : signature) {
        if (IsHexDigit(c))
            ++digits;
        else if (c != ' ')
            return std::string("kind 1 signature may hold only hex digits and blanks, not '") + c +
                   "'";
    }
    if (digits == 0)
        return "kind 1 signature holds no hex digits";
    if (digits % 2 != 0)
        return "kind 1 signature has an odd number of hex digits";
    return "";
}

std::string SignatureProblem(const Definition &definition) {
    switch (definition.kind) {
    case '0':
        return FingerprintProblem(definition.signature);
    case '1':
        return HexPatternProblem(definition.signature);
    default:
        if (IsOffsetSignatureText(definition.signature))
            return "";
        return "kind 2 signature must be four byte values 0 to 255 without leading zeros "
               "joined by \"-\" (like 77-90-144-0)";
    }
}

// Directives "#header1 TEXT" / "#header2 TEXT"; returns 0 for any other line.
int HeaderDirective(std::string_view line, std::string_view &text) {
    for (int number : {1, 2}) {
        std::string directive = "#header" + std::to_string(number);
        if (line.substr(0, directive.size()) != directive)
            continue;
        std::string_view rest = line.substr(directive.size());
        if (rest.empty() || rest[0] == ' ') {
            text = rest.empty() ? rest : rest.substr(1);
            return number;
        }
    }
    return 0;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Turns one definition line into a definition; "" or the reason it is bad.
std::string ReadDefinitionLine(std::string_view line, Definition &definition) {
    std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < 3 || fields.size() > 4)
        return "expected 4 tab-separated fields (kind, name, signature, offset), found " +
               std::to_string(fields.size());
    if (fields[0].size() != 1 || fields[0][0] < '0' || fields[0][0] > '2')
        return "kind must be 0, 1 or 2, not \"" + std::string(fields[0]) + "\"";
    definition.kind = fields[0][0];
    definition.name = std::string(fields[1]);
    definition.signature = std::string(fields[2]);
    if (fields.size() == 4)
        definition.offset = std::string(fields[3]);
    else if (definition.kind == '2')
        return "kind 2 needs an offset (the fourth field)";
    else
        definition.offset = "0";
    return DefinitionProblem(definition);
}

class ListReader {
public:
    explicit ListReader(const std::string &sourceName) : sourceName_(sourceName) {}

    void ReadLine(std::string_view line, size_t lineNumber) {
        lineNumber_ = lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view headerText;
        if (int number = HeaderDirective(line, headerText))
            return SetHeader(number, headerText);
        if (IsBlankLine(line) || line[0] == '#')
            return;
        if (list_.definitions.size() == kSlotCount)
            Fail("more than " + std::to_string(kSlotCount) + " definitions in one base");
        Definition definition;
        std::string problem = ReadDefinitionLine(line, definition);
        if (!problem.empty())
            Fail(problem);
        list_.definitions.push_back(std::move(definition));
        lines_.push_back(lineNumber);
    }

    DefinitionList Take() {
        FindDuplicates();
        return std::move(list_);
    }

private:
    void SetHeader(int number, std::string_view text) {
        bool &seen = number == 1 ? seenHeader1_ : seenHeader2_;
        if (seen)
            Fail("header" + std::to_string(number) + " is set twice");
        seen = true;
        std::string problem = HeaderProblem(text);
        if (!problem.empty())
            Fail(problem);
        (number == 1 ? list_.header1 : list_.header2) = std::string(text);
    }

    void FindDuplicates() {
        const std::vector<Definition> &definitions = list_.definitions;
        const std::vector<uint32_t> order = PositionsByFields(definitions);
        size_t groupStart = 0;
        for (size_t i = 1; i < order.size(); ++i) {
            if (!SameFields(definitions[order[i]], definitions[order[groupStart]]))
                groupStart = i;
            else
                list_.duplicates.push_back({lines_[order[i]], lines_[order[groupStart]]});
        }
        std::sort(list_.duplicates.begin(), list_.duplicates.end(),
                  [](const DuplicateDefinition &a, const DuplicateDefinition &b) {
                      return a.line < b.line;
                  });
    }

    [[noreturn]] void Fail(const std::string &reason) {
        throw ListError(sourceName_ + ":" + std::to_string(lineNumber_) + ": " + reason);
    }

    const std::string &sourceName_;
    DefinitionList list_;
    size_t lineNumber_ = 0;
    bool seenHeader1_ = false;
    bool seenHeader2_ = false;
    // The line of each definition.
    std::vector<size_t> lines_;
};

} // namespace

bool IsDecimalInt32(std::string_view text) {
    if (!text.empty() && text[0] == '-')
        return text != "-0" && IsPlainUnsigned(text.substr(1), 2147483648u);
    return IsPlainUnsigned(text, 2147483647u);
}

bool IsFingerprintText(std::string_view text) {
    if (text.size() < 34 || text[32] != ':')
        return false;
    for (char c : text.substr(0, 32))
        if (!IsLowerHexDigit(c))
            return false;
    return IsDecimalInt32(text.substr(33));
}

bool IsOffsetSignatureText(std::string_view text) {
    unsigned char bytes[4];
    return kernel::ParseOffsetSignatureText(text, bytes);
}

bool SameFields(const Definition &a, const Definition &b) {
    return std::tie(a.kind, a.name, a.signature, a.offset) ==
           std::tie(b.kind, b.name, b.signature, b.offset);
}

std::vector<uint32_t> PositionsByFields(const std::vector<Definition> &definitions) {
    std::vector<uint32_t> order(definitions.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<uint32_t>(i);
    const auto fields = [&](uint32_t i) {
        const Definition &d = definitions[i];
        return std::tie(d.kind, d.name, d.signature, d.offset);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return fields(a) < fields(b); });
    return order;
}

std::string DefinitionProblem(const Definition &definition) {
    if (definition.kind < '0' || definition.kind > '2')
        return "kind must be 0, 1 or 2";
    if (definition.name.empty())
        return "name is empty";
    if (definition.name.size() > kNameCapacity)
        return TooLong("name", kNameCapacity, definition.name.size());
    if (definition.name.find_first_of("\t\r\n") != std::string::npos)
        return "name holds a tab or line break";
    if (definition.signature.size() > kSignatureCapacity)
        return TooLong("signature", kSignatureCapacity, definition.signature.size());
    std::string problem = SignatureProblem(definition);
    if (!problem.empty())
        return problem;
    if (!IsDecimalInt32(definition.offset))
        return "offset must be a decimal integer that fits 32 bits, not \"" + definition.offset +
               "\"";
    return "";
}

std::string HeaderProblem(std::string_view text) {
    if (text.size() > kHeaderTextCapacity)
        return TooLong("header text", kHeaderTextCapacity, text.size());
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return "header text holds a line break";
    return "";
}

DefinitionList ParseDefinitionList(std::string_view text, const std::string &sourceName) {
    ListReader reader(sourceName);
    ForEachTextLine(text, [&](std::string_view line, size_t number) { reader.ReadLine(line, number); });
    return reader.Take();
}

void ForEachTextLine(std::string_view text,
                     const std::function<void(std::string_view, size_t)> &readLine) {
    // Editors that save UTF-8 may put a byte order mark before the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        readLine(text.substr(start, end - start), ++lineNumber);
        start = end + 1;
    }
}

std::string FormatDefinitionLine(const Definition &definition) {
    return std::string(1, definition.kind) + "\t" + definition.name + "\t" +
           definition.signature + "\t" + definition.offset;
}

std::string FormatDefinitionList(const DefinitionList &list) {
    std::string text = "#header1 " + list.header1 + "\n#header2 " + list.header2 + "\n";
    text += "# count " + std::to_string(list.definitions.size()) + "\n";
    for (const Definition &definition : list.definitions)
        text += FormatDefinitionLine(definition) + "\n";
    return text;
}

} // namespace bvxtool
