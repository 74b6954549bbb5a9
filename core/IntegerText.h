// Integers written as text inside definition bases and the DefinitionTable
// (RecordCount, a record's Offset). The rules: leading blanks are skipped,
// then an optional "-" or "+", then decimal digits, or hexadecimal digits
// after a "$", "x", "X", "0x" or "0X" prefix. Nothing may follow the digits,
// and the value must fit a signed 32-bit integer. An empty or all-blank text
// is not an integer.
//
// The engine and the scanner read these texts with the one parser here;
// where a text that is no integer is an error of the step reading it,
// StrToInt raises the one EConvertError.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace brenvald {

namespace detail {

inline int DigitValue(char c, int radix) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// Removes a hexadecimal prefix from the front of text; true when one was there.
inline bool TakeHexPrefix(std::string_view &text) {
    if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        text.remove_prefix(1);
        return true;
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        return true;
    }
    return false;
}

} // namespace detail

// The integer the text names, or nothing when it names none.
inline std::optional<int32_t> ParseInteger(std::string_view text) {
    while (!text.empty() && text[0] == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int radix = detail::TakeHexPrefix(text) ? 16 : 10;
    if (text.empty())
        return std::nullopt;
    // Magnitude limit: 2^31 for a negative value, 2^31 - 1 otherwise.
    const int64_t limit = negative ? INT64_C(2147483648) : INT64_C(2147483647);
    int64_t magnitude = 0;
    for (char c : text) {
        int digit = detail::DigitValue(c, radix);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * radix + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// "'%s' is not a valid integer value"
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The integer the text names; raises EConvertError when it names none.
int32_t StrToInt(std::string_view text);

} // namespace brenvald
