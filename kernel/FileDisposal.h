// Disposing of harmful files: overwriting and deleting them, deleting them
// plainly, and keeping them locked open in numbered slots.
#pragma once

#include <cstdint>
#include <string>

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

// Overwrites the file's whole content with 0x2A and deletes it. An empty or
// missing file is only deleted. False only when a non-empty file could not be
// opened for overwriting (then it is left untouched) or the overwrite failed
// (the file is deleted all the same).
bool ShredFile(const std::string &path);

// The system's plain delete; true when it deleted the file.
bool DeleteInfected(const std::string &path);

constexpr int32_t kFirstLockSlot = 1;
constexpr int32_t kLastLockSlot = 1024;

inline bool IsLockSlot(int32_t slot) { return slot >= kFirstLockSlot && slot <= kLastLockSlot; }

// Opens the file for reading with no sharing and keeps it open in the slot,
// closing what the slot held before. A file that cannot be opened leaves the
// slot empty; a slot number outside the table is ignored.
void LockFileInSlot(const std::string &path, int32_t slot);

// Closes the file held in the slot, if any.
void ReleaseLockSlot(int32_t slot);

} // namespace kernel
