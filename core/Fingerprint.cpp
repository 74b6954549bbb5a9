#include "Fingerprint.h"

namespace kernel {

std::string SizeText(uint32_t lowSizeBits) {
    return std::to_string(static_cast<int32_t>(lowSizeBits));
}

std::string FingerprintText(const Md5Digest &digest, const std::string &sizeText) {
    return LowerHexText(digest.data(), digest.size()) + ":" + sizeText;
}

std::optional<uint32_t> ParseSizeText(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    // Ten digits hold every 32-bit value; a leading zero only in "0" itself.
    if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && (digits.size() > 1 || negative)))
        return std::nullopt;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

std::optional<uint32_t> FingerprintSignatureSize(std::string_view signature) {
    constexpr size_t digestDigits = 32;
    if (signature.size() <= digestDigits || signature[digestDigits] != ':')
        return std::nullopt;
    for (size_t k = 0; k < digestDigits; ++k) {
        const char c = signature[k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return std::nullopt;
    }
    return ParseSizeText(signature.substr(digestDigits + 1));
}

} // namespace kernel
