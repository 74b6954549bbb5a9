// The Win32 side of the fingerprint: open modes and the read of the content.
#include "FingerprintFile.h"

#include "WinHandle.h"

#include <algorithm>
#include <vector>

namespace kernel {

namespace {

constexpr DWORD kHashReadSize = 256 * 1024;

// The digest of the file's first `size` bytes, or of fewer when it ends
// earlier; nothing when a read fails.
std::optional<Md5Digest> HashContent(HANDLE file, uint64_t size) {
    std::vector<unsigned char> buffer(kHashReadSize);
    Md5 md5;
    while (size > 0) {
        DWORD wanted = static_cast<DWORD>(std::min<uint64_t>(size, kHashReadSize));
        DWORD delivered = 0;
        if (!ReadFile(file, buffer.data(), wanted, &delivered, nullptr))
            return std::nullopt;
        if (delivered == 0)
            break;
        md5.Update(buffer.data(), delivered);
        size -= delivered;
    }
    return md5.Finish();
}

// The digest of the content, read with others allowed to read and write it.
// The size noted at the start bounds the read, so a file that grows meanwhile
// is hashed as it was when opened.
std::optional<Md5Digest> FileDigest(const std::string &path) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        return std::nullopt;
    return HashContent(file.get(), static_cast<uint64_t>(size.QuadPart));
}

} // namespace

std::string FileSizeText(const std::string &path) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, 0);
    if (!file.valid())
        return SizeText(INVALID_FILE_SIZE);
    return SizeText(GetFileSize(file.get(), nullptr));
}

std::optional<std::string> FileFingerprint(const std::string &path) {
    std::optional<Md5Digest> digest = FileDigest(path);
    if (!digest)
        return std::nullopt;
    return FingerprintText(*digest, FileSizeText(path));
}

} // namespace kernel
