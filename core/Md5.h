// MD5 message digest (RFC 1321) and the lower-case hex text of byte strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kernel {

using Md5Digest = std::array<unsigned char, 16>;

class Md5 {
public:
    Md5();
    void Update(const void *data, size_t size);
    // The digest of everything fed so far; the object is spent afterwards.
    Md5Digest Finish();

private:
    void AddBlocks(const unsigned char *blocks, size_t count);

    std::array<uint32_t, 4> state_;
    uint64_t totalBytes_ = 0;
    std::array<unsigned char, 64> pending_{};
};

Md5Digest Md5Of(const void *data, size_t size);

// Two digits per byte, high digit first, letters a-f in lower case.
std::string LowerHexText(const unsigned char *bytes, size_t count);

} // namespace kernel
