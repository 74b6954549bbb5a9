// The engine calls through Kernel.dll's exports: string values where the
// engine takes them, returned texts copied before anything else is called.
#include "Engine.h"

#include "AVKERNEL_HEADER.h"

#include <brenvald/StringValue.h>

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

IEngine &KernelEngine() {
    static TKernelEngine engine;
    return engine;
}

} // namespace scanner
