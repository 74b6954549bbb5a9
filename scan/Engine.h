// The engine calls of the base loading and the per-file check, as plain C++:
// texts in and out are std::string, truth values are bool. KernelEngine()
// goes through Kernel.dll; tests wrap it to make a step fail on purpose.
#pragma once

#include "DefinitionIndex.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace scanner {

// What GetSize and GetFileMd5Hash give for a file, taken from one read of it.
struct TFileTexts {
    std::string SizeText;
    // Empty when the read was not asked for it.
    std::string Fingerprint;
    // The whole size in bytes, which the size text gives only to 32 bits.
    uint64_t Size = 0;
};

// What the check asks of its own read of a file, told once the file is open
// and sized.
struct TReadWants {
    // Whether the fingerprint is wanted of a file of this size text; when
    // not set, it always is.
    std::function<bool(const std::string &sizeText)> Fingerprint;
    // Takes all the file's bytes, in order, when set. With neither the
    // fingerprint nor the bytes wanted, the file is opened and sized only.
    ContentConsumer Content;
};

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

    // Not engine exports: the check's own read of a file and a test of the
    // engine's opens, done here through Win32 so that tests can fail them.
    //
    // Opens the file for reading while others may read and write it and
    // hands all its bytes, in order, to `consume` in chunks of at most
    // chunkSize; false when it cannot be opened or a read fails.
    virtual bool ReadContent(const std::string &path, size_t chunkSize, const ContentConsumer &consume);
    // When no one else has the file open, so that GetSize gives its size:
    // reads it once, as GetFileMd5Hash reads it (others may read and write
    // it meanwhile), hands its bytes to wants.Content in chunks of at most
    // chunkSize, and fills `texts` with what GetSize and GetFileMd5Hash give
    // for it (the fingerprint only when wanted). What is not wanted is not
    // read. False when the file is open elsewhere, cannot be opened or a
    // read fails: nothing is known, and the check asks the engine step by
    // step. The base class always answers false, so that an engine made for
    // a test is asked each step.
    virtual bool ReadOnce(const std::string &path, size_t chunkSize, const TReadWants &wants,
                          TFileTexts &texts);
    // The same read through a wide path ("\\?\" form) of a file that no ANSI
    // path reaches, so that the engine cannot be asked at all. Every engine
    // does this read itself: a file the walk cannot hand the engine is
    // checked from it alone.
    virtual bool ReadWideOnce(const std::wstring &widePath, size_t chunkSize, const TReadWants &wants,
                              TFileTexts &texts);
    // Whether the file opens the way the engine opens it for a definition of
    // this kind: "1" reading while others may only read, "2" with no sharing.
    virtual bool OpensLikeEngine(const std::string &path, char kind);
};

// The engine behind Kernel.dll's exports.
IEngine &KernelEngine();

// Passes each engine call on to another engine (Kernel.dll's by default);
// tests and benches override the calls they change or count. ReadOnce is
// not passed on, so a relay is asked step by step: the one read would
// answer for GetSize and GetFileMd5Hash whatever an override makes of them.
// A relay that wants the one read passes ReadOnce on itself.
class TEngineRelay : public IEngine {
public:
    explicit TEngineRelay(IEngine &target = KernelEngine()) : target_(target) {}
    std::string GetSize(const std::string &path) override { return target_.GetSize(path); }
    std::string GetFileMd5Hash(const std::string &path) override { return target_.GetFileMd5Hash(path); }
    bool FindHEXSignature(const std::string &path, const std::string &pattern) override {
        return target_.FindHEXSignature(path, pattern);
    }
    bool FindVirSignat(const std::string &signature, int32_t offset, const std::string &path) override {
        return target_.FindVirSignat(signature, offset, path);
    }
    void UnPakBaseToStream(const std::string &basePath, void **table) override {
        target_.UnPakBaseToStream(basePath, table);
    }

protected:
    IEngine &target_;
};

// The definition index's probe through an IEngine, for one path.
class TEngineProbe : public ISlotProbe {
public:
    TEngineProbe(const std::string &path, IEngine &engine, size_t chunkSize = kContentChunkSize)
        : path_(path), engine_(engine), chunkSize_(chunkSize) {}
    bool HexMatches(const std::string &signature) override {
        return engine_.FindHEXSignature(path_, signature);
    }
    bool OffsetMatches(const std::string &signature, int32_t offset) override {
        return engine_.FindVirSignat(signature, offset, path_);
    }
    bool ReadContent(const ContentConsumer &consume) override {
        return engine_.ReadContent(path_, chunkSize_, consume);
    }
    bool EngineLockedOut(char kind) override { return !engine_.OpensLikeEngine(path_, kind); }

private:
    const std::string &path_;
    IEngine &engine_;
    size_t chunkSize_;
};

} // namespace scanner
