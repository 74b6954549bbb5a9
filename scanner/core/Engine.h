// The engine calls of the base loading and the per-file check, as plain C++:
// texts in and out are std::string, truth values are bool. KernelEngine()
// goes through Kernel.dll; tests wrap it to make a step fail on purpose.
#pragma once

#include <cstdint>
#include <string>

namespace scanner {

class IEngine {
public:
    virtual ~IEngine() = default;
    // The size text of a file ("-1" when not available).
    virtual std::string GetSize(const std::string &path) = 0;
    // The fingerprint text of a file; empty when the engine returns none.
    virtual std::string GetFileMd5Hash(const std::string &path) = 0;
    // The hex pattern occurs anywhere in the file.
    virtual bool FindHEXSignature(const std::string &path, const std::string &pattern) = 0;
    // The four bytes at the offset equal the offset signature text.
    virtual bool FindVirSignat(const std::string &signature, int32_t offset,
                               const std::string &path) = 0;
    // Appends a base to the table that *table points to; throws on failure.
    virtual void UnPakBaseToStream(const std::string &basePath, void **table) = 0;
};

// The engine behind Kernel.dll's exports.
IEngine &KernelEngine();

} // namespace scanner
