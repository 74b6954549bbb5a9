// The Win32 side of the offset signature: one exclusive open, one seek and
// one read of at most four bytes.
#include "OffsetSignatureFile.h"

#include "WinHandle.h"

namespace kernel {

bool FileMatchesOffsetSignature(const std::string &signature, int32_t offset,
                                const std::string &path) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, 0);
    if (!file.valid())
        return false;
    // A negative position cannot be set: the read then starts at 0.
    if (offset > 0 && SetFilePointer(file.get(), offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return false;
    unsigned char bytes[4] = {0, 0, 0, 0};
    DWORD delivered = 0;
    if (!ReadFile(file.get(), bytes, sizeof bytes, &delivered, nullptr))
        return false;
    return OffsetSignatureText(bytes) == signature;
}

} // namespace kernel
