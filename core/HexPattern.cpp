#include "HexPattern.h"

namespace kernel {

namespace {

int HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;
}

} // namespace

std::string HexPatternBytes(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::string bytes;
    bytes.reserve(text.size() / 2);
    int highHalf = -1;
    for (char character : text) {
        const int value = HexDigitValue(character);
        if (value < 0)
            continue;
        if (highHalf < 0) {
            highHalf = value;
        } else {
            bytes.push_back(static_cast<char>(highHalf * 16 + value));
            highHalf = -1;
        }
    }
    return bytes;
}

} // namespace kernel
