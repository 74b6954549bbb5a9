#include "OffsetSignature.h"

namespace kernel {

std::string OffsetSignatureText(const unsigned char bytes[4]) {
    std::string text = std::to_string(bytes[0]);
    for (int i = 1; i < 4; ++i)
        text += "-" + std::to_string(bytes[i]);
    return text;
}

} // namespace kernel
