// The overwrite pass of the file disposal, apart from the file it writes to.
#pragma once

#include <cstdint>

namespace kernel {

// Where an overwrite goes. The file side writes to an open file; tests record
// the writes.
class OverwriteTarget {
public:
    virtual ~OverwriteTarget() = default;
    virtual bool Rewind() = 0;
    virtual bool Write(const unsigned char *data, uint32_t length) = 0;
    virtual bool Flush() = 0;
};

constexpr uint32_t kOverwriteBlockSize = 4096;
constexpr unsigned char kOverwriteFill = 0x2A;

// One pass from the start: whole 4096-byte blocks of 0x2A, then the rest of
// `size` from the start of the block, then a flush. False when any step
// fails (the pass stops there).
bool OverwriteWithFill(OverwriteTarget &target, uint64_t size);

} // namespace kernel
