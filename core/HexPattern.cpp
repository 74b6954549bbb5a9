#include "HexPattern.h"

#include <array>
#include <cstdint>

namespace kernel {

namespace {

constexpr int8_t kNotDigit = -1;
constexpr int8_t kEndOfText = -2;

constexpr std::array<int8_t, 256> HexDigitValues() {
    std::array<int8_t, 256> values{};
    for (int character = 0; character < 256; ++character) {
        int8_t value = kNotDigit;
        if (character >= '0' && character <= '9')
            value = static_cast<int8_t>(character - '0');
        else if (character >= 'A' && character <= 'F')
            value = static_cast<int8_t>(character - 'A' + 10);
        else if (character >= 'a' && character <= 'f')
            value = static_cast<int8_t>(character - 'a' + 10);
        values[static_cast<size_t>(character)] = character == 0 ? kEndOfText : value;
    }
    return values;
}

// A table (the zero byte that ends a text marked apart), as a million
// definitions are read at each load.
constexpr std::array<int8_t, 256> kHexDigitValues = HexDigitValues();

} // namespace

// The zero byte that ends the text is found in the same pass as the digits.
void HexPatternBytes(std::string_view text, std::string &bytes) {
    bytes.resize(text.size() / 2);
    size_t length = 0;
    int highHalf = kNotDigit;
    for (char character : text) {
        const int value = kHexDigitValues[static_cast<unsigned char>(character)];
        if (value < 0) {
            if (value == kEndOfText)
                break;
            continue;
        }
        if (highHalf == kNotDigit) {
            highHalf = value;
        } else {
            bytes[length++] = static_cast<char>(highHalf * 16 + value);
            highHalf = kNotDigit;
        }
    }
    bytes.resize(length);
}

std::string HexPatternBytes(std::string_view text) {
    std::string bytes;
    HexPatternBytes(text, bytes);
    return bytes;
}

} // namespace kernel
