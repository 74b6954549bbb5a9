// MD5 after RFC 1321. The 64 steps are written out with their constants so
// that the compiler keeps the four state words in registers and turns each
// rotation into one instruction; the round functions use the forms that need
// one operation less than the RFC's (same truth tables).
#include "Md5.h"

#include <algorithm>
#include <cstring>

namespace kernel {

namespace {

inline uint32_t Load32(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline void Store32(unsigned char *bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline uint32_t RotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

inline void StepF(uint32_t &a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, int bits,
                  uint32_t constant) {
    a = b + RotateLeft(a + (d ^ (b & (c ^ d))) + word + constant, bits);
}

inline void StepG(uint32_t &a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, int bits,
                  uint32_t constant) {
    a = b + RotateLeft(a + (c ^ (d & (b ^ c))) + word + constant, bits);
}

inline void StepH(uint32_t &a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, int bits,
                  uint32_t constant) {
    a = b + RotateLeft(a + (b ^ c ^ d) + word + constant, bits);
}

inline void StepI(uint32_t &a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, int bits,
                  uint32_t constant) {
    a = b + RotateLeft(a + (c ^ (b | ~d)) + word + constant, bits);
}

void Transform(uint32_t state[4], const unsigned char *block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = Load32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    StepF(a, b, c, d, x[0], 7, 0xd76aa478);
    StepF(d, a, b, c, x[1], 12, 0xe8c7b756);
    StepF(c, d, a, b, x[2], 17, 0x242070db);
    StepF(b, c, d, a, x[3], 22, 0xc1bdceee);
    StepF(a, b, c, d, x[4], 7, 0xf57c0faf);
    StepF(d, a, b, c, x[5], 12, 0x4787c62a);
    StepF(c, d, a, b, x[6], 17, 0xa8304613);
    StepF(b, c, d, a, x[7], 22, 0xfd469501);
    StepF(a, b, c, d, x[8], 7, 0x698098d8);
    StepF(d, a, b, c, x[9], 12, 0x8b44f7af);
    StepF(c, d, a, b, x[10], 17, 0xffff5bb1);
    StepF(b, c, d, a, x[11], 22, 0x895cd7be);
    StepF(a, b, c, d, x[12], 7, 0x6b901122);
    StepF(d, a, b, c, x[13], 12, 0xfd987193);
    StepF(c, d, a, b, x[14], 17, 0xa679438e);
    StepF(b, c, d, a, x[15], 22, 0x49b40821);

    StepG(a, b, c, d, x[1], 5, 0xf61e2562);
    StepG(d, a, b, c, x[6], 9, 0xc040b340);
    StepG(c, d, a, b, x[11], 14, 0x265e5a51);
    StepG(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    StepG(a, b, c, d, x[5], 5, 0xd62f105d);
    StepG(d, a, b, c, x[10], 9, 0x02441453);
    StepG(c, d, a, b, x[15], 14, 0xd8a1e681);
    StepG(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    StepG(a, b, c, d, x[9], 5, 0x21e1cde6);
    StepG(d, a, b, c, x[14], 9, 0xc33707d6);
    StepG(c, d, a, b, x[3], 14, 0xf4d50d87);
    StepG(b, c, d, a, x[8], 20, 0x455a14ed);
    StepG(a, b, c, d, x[13], 5, 0xa9e3e905);
    StepG(d, a, b, c, x[2], 9, 0xfcefa3f8);
    StepG(c, d, a, b, x[7], 14, 0x676f02d9);
    StepG(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    StepH(a, b, c, d, x[5], 4, 0xfffa3942);
    StepH(d, a, b, c, x[8], 11, 0x8771f681);
    StepH(c, d, a, b, x[11], 16, 0x6d9d6122);
    StepH(b, c, d, a, x[14], 23, 0xfde5380c);
    StepH(a, b, c, d, x[1], 4, 0xa4beea44);
    StepH(d, a, b, c, x[4], 11, 0x4bdecfa9);
    StepH(c, d, a, b, x[7], 16, 0xf6bb4b60);
    StepH(b, c, d, a, x[10], 23, 0xbebfbc70);
    StepH(a, b, c, d, x[13], 4, 0x289b7ec6);
    StepH(d, a, b, c, x[0], 11, 0xeaa127fa);
    StepH(c, d, a, b, x[3], 16, 0xd4ef3085);
    StepH(b, c, d, a, x[6], 23, 0x04881d05);
    StepH(a, b, c, d, x[9], 4, 0xd9d4d039);
    StepH(d, a, b, c, x[12], 11, 0xe6db99e5);
    StepH(c, d, a, b, x[15], 16, 0x1fa27cf8);
    StepH(b, c, d, a, x[2], 23, 0xc4ac5665);

    StepI(a, b, c, d, x[0], 6, 0xf4292244);
    StepI(d, a, b, c, x[7], 10, 0x432aff97);
    StepI(c, d, a, b, x[14], 15, 0xab9423a7);
    StepI(b, c, d, a, x[5], 21, 0xfc93a039);
    StepI(a, b, c, d, x[12], 6, 0x655b59c3);
    StepI(d, a, b, c, x[3], 10, 0x8f0ccc92);
    StepI(c, d, a, b, x[10], 15, 0xffeff47d);
    StepI(b, c, d, a, x[1], 21, 0x85845dd1);
    StepI(a, b, c, d, x[8], 6, 0x6fa87e4f);
    StepI(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    StepI(c, d, a, b, x[6], 15, 0xa3014314);
    StepI(b, c, d, a, x[13], 21, 0x4e0811a1);
    StepI(a, b, c, d, x[4], 6, 0xf7537e82);
    StepI(d, a, b, c, x[11], 10, 0xbd3af235);
    StepI(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    StepI(b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::AddBlocks(const unsigned char *blocks, size_t count) {
    for (size_t i = 0; i < count; ++i)
        Transform(state_.data(), blocks + 64 * i);
}

void Md5::Update(const void *data, size_t size) {
    auto bytes = static_cast<const unsigned char *>(data);
    size_t used = static_cast<size_t>(totalBytes_ % 64);
    totalBytes_ += size;
    if (used != 0) {
        size_t take = std::min(size, 64 - used);
        std::memcpy(pending_.data() + used, bytes, take);
        bytes += take;
        size -= take;
        if (used + take < 64)
            return;
        AddBlocks(pending_.data(), 1);
    }
    AddBlocks(bytes, size / 64);
    std::memcpy(pending_.data(), bytes + size / 64 * 64, size % 64);
}

Md5Digest Md5::Finish() {
    // Padding: one 0x80 byte, zeros up to 56 mod 64, then the bit count.
    uint64_t bitCount = totalBytes_ * 8;
    unsigned char padding[72] = {0x80};
    size_t used = static_cast<size_t>(totalBytes_ % 64);
    size_t padLength = (used < 56 ? 56 : 120) - used;
    unsigned char length[8];
    Store32(length, static_cast<uint32_t>(bitCount));
    Store32(length + 4, static_cast<uint32_t>(bitCount >> 32));
    Update(padding, padLength);
    Update(length, 8);
    Md5Digest digest;
    for (int i = 0; i < 4; ++i)
        Store32(digest.data() + 4 * i, state_[i]);
    return digest;
}

Md5Digest Md5Of(const void *data, size_t size) {
    Md5 md5;
    md5.Update(data, size);
    return md5.Finish();
}

std::string LowerHexText(const unsigned char *bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 15]);
    }
    return text;
}

} // namespace kernel
