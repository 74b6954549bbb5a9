#include "TextHash.h"

#include <cstddef>
#include <cstring>

namespace kernel {

namespace {

uint32_t Load32(const unsigned char *bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

uint32_t RotateLeft(uint32_t value, unsigned bits) { return value << bits | value >> (32 - bits); }

uint32_t MixBits(uint32_t value) {
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    value *= 0xC2B2AE35u;
    return value ^ value >> 16;
}

} // namespace

uint32_t TextHash(std::string_view text) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    uint32_t hash = 0x811C9DC5u ^ static_cast<uint32_t>(text.size());
    size_t at = 0;
    for (; at + 4 <= text.size(); at += 4)
        hash = RotateLeft((hash ^ Load32(bytes + at)) * 0x9E3779B1u, 13);
    uint32_t rest = 0;
    for (size_t k = 0; at + k < text.size(); ++k)
        rest |= static_cast<uint32_t>(bytes[at + k]) << (8 * k);
    return MixBits(hash ^ rest);
}

} // namespace kernel
