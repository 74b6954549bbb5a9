#include "Fingerprint.h"

namespace kernel {

std::string SizeText(uint32_t lowSizeBits) {
    return std::to_string(static_cast<int32_t>(lowSizeBits));
}

std::string FingerprintText(const Md5Digest &digest, const std::string &sizeText) {
    return LowerHexText(digest.data(), digest.size()) + ":" + sizeText;
}

} // namespace kernel
