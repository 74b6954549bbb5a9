// The engine calls through Kernel.dll's exports: string values where the
// engine takes them, returned texts copied before anything else is called.
#include "Engine.h"

#include "AVKERNEL_HEADER.h"
#include "Fingerprint.h"
#include "Md5.h"

#include <brenvald/StringValue.h>
#include "WinHandle.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace scanner {

namespace {

std::string CopyText(const char *text) { return text ? std::string(text) : std::string(); }

class TKernelEngine : public IEngine {
public:
    std::string GetSize(const std::string &path) override { return CopyText(::GetSize(path.c_str())); }

    std::string GetFileMd5Hash(const std::string &path) override {
        brenvald::StringValue pathValue(path);
        return CopyText(::GetFileMd5Hash(pathValue.get()));
    }

    bool FindHEXSignature(const std::string &path, const std::string &pattern) override {
        brenvald::StringValue pathValue(path);
        brenvald::StringValue patternValue(pattern);
        return ::FindHEXSignature(pathValue.get(), patternValue.get(), 0) == 1;
    }

    bool FindVirSignat(const std::string &signature, int32_t offset,
                       const std::string &path) override {
        return ::FindVirSignat(signature.c_str(), offset, path.c_str()) == 1;
    }

    void UnPakBaseToStream(const std::string &basePath, void **table) override {
        brenvald::StringValue pathValue(basePath);
        ::UnPakBaseToStream(pathValue.get(), table);
    }

    bool ReadOnce(const std::string &path, size_t chunkSize, const TReadWants &wants,
                  TFileTexts &texts) override;
};

} // namespace

namespace {

// One buffer for the whole run: a fresh large block per file costs more than
// reading a small file.
std::vector<unsigned char> &ReadBuffer(size_t chunkSize) {
    static thread_local std::vector<unsigned char> buffer;
    buffer.resize(std::clamp<size_t>(chunkSize, 1, size_t{1} << 26));
    return buffer;
}

// Hands the file's bytes from where it stands to `consume`, at most `limit`
// of them; false when a read fails.
bool ReadHandle(HANDLE file, uint64_t limit, size_t chunkSize, const ContentConsumer &consume) {
    std::vector<unsigned char> &buffer = ReadBuffer(chunkSize);
    while (limit > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<uint64_t>(limit, buffer.size()));
        DWORD delivered = 0;
        if (!ReadFile(file, buffer.data(), wanted, &delivered, nullptr))
            return false;
        if (delivered == 0)
            return true;
        consume(buffer.data(), delivered);
        limit -= delivered;
    }
    return true;
}

} // namespace

bool IEngine::ReadContent(const std::string &path, size_t chunkSize, const ContentConsumer &consume) {
    brenvald::FileHandle file =
        brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    return file.valid() && ReadHandle(file.get(), UINT64_MAX, chunkSize, consume);
}

bool IEngine::ReadOnce(const std::string &, size_t, const TReadWants &, TFileTexts &) {
    return false;
}

bool IEngine::OpensLikeEngine(const std::string &path, char kind) {
    const DWORD share = kind == '1' ? FILE_SHARE_READ : 0;
    return brenvald::OpenFile(path.c_str(), GENERIC_READ, share).valid();
}

namespace {

// Opens the file being read once with the share mode given.
using ShareOpen = std::function<brenvald::FileHandle(DWORD share)>;

// Closes the locked open and reads from `from` on through a shared one; false
// when that open fails, the size has changed meanwhile or a read fails.
bool ReadRestShared(const ShareOpen &open, brenvald::FileHandle &file, uint64_t total, uint64_t from,
                    size_t chunkSize, const ContentConsumer &consume) {
    file.reset();
    file = open(FILE_SHARE_READ | FILE_SHARE_WRITE);
    LARGE_INTEGER size, position;
    position.QuadPart = static_cast<LONGLONG>(from);
    return file.valid() && GetFileSizeEx(file.get(), &size) && static_cast<uint64_t>(size.QuadPart) == total &&
           SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) &&
           ReadHandle(file.get(), total - from, chunkSize, consume);
}

// The size step's open, with no sharing, tells whether anyone else has the
// file open and gives its size; the same open then reads the file, and the
// digest of what it holds is the fingerprint step's. That lock is held for
// the first chunk only, so that no other program is kept from a file for
// long: what lies beyond it is read through a second open that lets others
// read and write, as the fingerprint step's read does. A file whose
// fingerprint and bytes no one wants is opened and sized only.
bool ReadOnceThrough(const ShareOpen &open, size_t chunkSize, const TReadWants &wants, TFileTexts &texts) {
    brenvald::FileHandle file = open(0);
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        return false;
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    const std::string sizeText = kernel::SizeText(static_cast<uint32_t>(total));
    const bool hashes = !wants.Fingerprint || wants.Fingerprint(sizeText);
    kernel::Md5 md5;
    if (hashes || wants.Content) {
        uint64_t delivered = 0;
        const auto take = [&](const unsigned char *data, size_t length) {
            if (hashes)
                md5.Update(data, length);
            delivered += length;
            if (wants.Content)
                wants.Content(data, length);
        };
        if (!ReadHandle(file.get(), std::min<uint64_t>(total, chunkSize), chunkSize, take))
            return false;
        if (delivered < total && !ReadRestShared(open, file, total, delivered, chunkSize, take))
            return false;
        // A file that ended before its size is no longer what was sized.
        if (delivered != total)
            return false;
    }
    texts.Size = total;
    texts.SizeText = sizeText;
    texts.Fingerprint = hashes ? kernel::FingerprintText(md5.Finish(), sizeText) : std::string();
    return true;
}

} // namespace

bool IEngine::ReadWideOnce(const std::wstring &widePath, size_t chunkSize, const TReadWants &wants,
                           TFileTexts &texts) {
    return ReadOnceThrough(
        [&](DWORD share) {
            return brenvald::FileHandle(CreateFileW(widePath.c_str(), GENERIC_READ, share, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        },
        chunkSize, wants, texts);
}

bool TKernelEngine::ReadOnce(const std::string &path, size_t chunkSize, const TReadWants &wants,
                             TFileTexts &texts) {
    return ReadOnceThrough(
        [&](DWORD share) { return brenvald::OpenFile(path.c_str(), GENERIC_READ, share); }, chunkSize,
        wants, texts);
}

IEngine &KernelEngine() {
    static TKernelEngine engine;
    return engine;
}

} // namespace scanner
