// The Win32 side of file disposal.
#include "FileDisposal.h"

#include "WinHandle.h"

#include <array>

namespace kernel {
namespace {

class FileOverwriteTarget : public OverwriteTarget {
public:
    explicit FileOverwriteTarget(HANDLE file) : file_(file) {}

    bool Rewind() override {
        LARGE_INTEGER start{};
        return SetFilePointerEx(file_, start, nullptr, FILE_BEGIN) != 0;
    }
    bool Write(const unsigned char *data, uint32_t length) override {
        DWORD written = 0;
        return ::WriteFile(file_, data, length, &written, nullptr) && written == length;
    }
    bool Flush() override { return FlushFileBuffers(file_) != 0; }

private:
    HANDLE file_;
};

// The size that the directory search reports for the path, or -1 when it
// finds nothing. Critical-error boxes stay off during the search.
int64_t ListedSize(const std::string &path) {
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAA entry;
    brenvald::FindHandle search(FindFirstFileA(path.c_str(), &entry));
    SetErrorMode(previousMode);
    if (!search.valid())
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(entry.nFileSizeHigh) << 32) |
                                entry.nFileSizeLow);
}

// The overwrite covers the open file's own length, which is exact while we
// hold it without sharing.
bool OverwriteOpenFile(HANDLE file) {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length))
        return false;
    FileOverwriteTarget target(file);
    return OverwriteWithFill(target, static_cast<uint64_t>(length.QuadPart));
}

std::array<brenvald::FileHandle, kLastLockSlot> &LockSlots() {
    static std::array<brenvald::FileHandle, kLastLockSlot> slots;
    return slots;
}

} // namespace

bool ShredFile(const std::string &path) {
    if (ListedSize(path) <= 0) {
        DeleteFileA(path.c_str());
        return true;
    }
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    if (!file.valid())
        return false;
    const bool overwritten = OverwriteOpenFile(file.get());
    file.reset();
    DeleteFileA(path.c_str());
    return overwritten;
}

bool DeleteInfected(const std::string &path) { return DeleteFileA(path.c_str()) != 0; }

void LockFileInSlot(const std::string &path, int32_t slot) {
    if (!IsLockSlot(slot))
        return;
    brenvald::FileHandle &held = LockSlots()[slot - kFirstLockSlot];
    // Closed first: the same file locked again into its own slot must open.
    held.reset();
    held = brenvald::OpenFile(path.c_str(), GENERIC_READ, 0);
}

void ReleaseLockSlot(int32_t slot) {
    if (IsLockSlot(slot))
        LockSlots()[slot - kFirstLockSlot].reset();
}

} // namespace kernel
