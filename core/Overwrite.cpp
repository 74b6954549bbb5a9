#include "Overwrite.h"

#include <vector>

namespace kernel {

bool OverwriteWithFill(OverwriteTarget &target, uint64_t size) {
    const std::vector<unsigned char> block(kOverwriteBlockSize, kOverwriteFill);
    if (!target.Rewind())
        return false;
    for (uint64_t blocks = size / kOverwriteBlockSize; blocks > 0; --blocks) {
        if (!target.Write(block.data(), kOverwriteBlockSize))
            return false;
    }
    const uint32_t tail = static_cast<uint32_t>(size % kOverwriteBlockSize);
    if (tail > 0 && !target.Write(block.data(), tail))
        return false;
    return target.Flush();
}

} // namespace kernel
