#include "OffsetSignature.h"

namespace kernel {

std::string OffsetSignatureText(const unsigned char bytes[4]) {
    std::string text = std::to_string(bytes[0]);
    for (int i = 1; i < 4; ++i)
        text += "-" + std::to_string(bytes[i]);
    return text;
}

bool ParseOffsetSignatureText(std::string_view text, unsigned char bytes[4]) {
    unsigned values[4] = {0, 0, 0, 0};
    size_t part = 0;
    size_t digits = 0;
    for (char c : text) {
        if (c == '-') {
            if (digits == 0 || ++part == 4)
                return false;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            // A leading zero, or a fourth digit, is never written.
            if ((digits == 1 && values[part] == 0) || digits == 3)
                return false;
            values[part] = values[part] * 10 + static_cast<unsigned>(c - '0');
            ++digits;
        } else {
            return false;
        }
    }
    if (part != 3 || digits == 0)
        return false;
    for (int k = 0; k < 4; ++k) {
        if (values[k] > 255)
            return false;
        bytes[k] = static_cast<unsigned char>(values[k]);
    }
    return true;
}

} // namespace kernel
