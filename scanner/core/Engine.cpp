// The engine calls through Kernel.dll's exports: string values where the
// engine takes them, returned texts copied before anything else is called.
#include "Engine.h"

#include "AVKERNEL_HEADER.h"

#include <brenvald/StringValue.h>
#include <brenvald/WinHandle.h>

#include <algorithm>
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
};

} // namespace

bool IEngine::ReadContent(const std::string &path, size_t chunkSize,
                          const std::function<void(const unsigned char *, size_t)> &consume) {
    brenvald::FileHandle file =
        brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!file.valid())
        return false;
    // One buffer for the whole run: a fresh large block per file costs more
    // than reading a small file.
    static thread_local std::vector<unsigned char> buffer;
    buffer.resize(std::clamp<size_t>(chunkSize, 1, size_t{1} << 26));
    for (;;) {
        DWORD delivered = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &delivered, nullptr))
            return false;
        if (delivered == 0)
            return true;
        consume(buffer.data(), delivered);
    }
}

bool IEngine::OpensLikeEngine(const std::string &path, char kind) {
    const DWORD share = kind == '1' ? FILE_SHARE_READ : 0;
    return brenvald::OpenFile(path.c_str(), GENERIC_READ, share).valid();
}

IEngine &KernelEngine() {
    static TKernelEngine engine;
    return engine;
}

} // namespace scanner
