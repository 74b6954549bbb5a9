// Disposing of harmful files: overwriting and deleting them, deleting them
// plainly, and keeping them locked open in numbered slots.
#pragma once

#include "Overwrite.h"

#include <cstdint>
#include <string>

namespace kernel {

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
