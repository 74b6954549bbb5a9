// Base container decoding. The bzip2 data must decode to the same bytes, or
// fail with the same error, whatever sizes the reader asks for; plain data
// packed and unpacked comes back whole, and a cut container yields a prefix
// of the plain data or an error, never other bytes.
#include "FuzzSupport.h"

#include "Streams.h"
#include "bzLib.h"

#include <algorithm>
#include <exception>
#include <string>

using namespace kernel;
using fuzzsupport::InputReader;
using fuzzsupport::Require;
using fuzzsupport::SizeSequence;

namespace {

// A container that unpacks to more than this is read only this far; reads of
// one byte each go only this far.
constexpr size_t kOutputLimit = 1 << 20;
constexpr size_t kByteReadLimit = 64 << 10;

struct Outcome {
    std::string bytes;
    std::string error; // what() of the failure, empty on success
    bool capped = false;
};

void Fill(TMemoryStream &stream, const std::string &bytes) {
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

Outcome Decode(const std::string &container, SizeSequence sizes, size_t limit = kOutputLimit) {
    Outcome outcome;
    TMemoryStream source;
    Fill(source, container);
    try {
        TBZDecompressionStream unpacker(source);
        std::string chunk;
        for (;;) {
            if (outcome.bytes.size() >= limit) {
                outcome.capped = true;
                break;
            }
            chunk.resize(sizes.Next());
            size_t got = unpacker.Read(chunk.data(), chunk.size());
            outcome.bytes.append(chunk, 0, got);
            if (got == 0)
                break;
        }
    } catch (const EBZip2Error &error) {
        outcome.error = error.what();
        Require(!outcome.error.empty(), "a container error has a text");
    }
    return outcome;
}

void RequireSameOutcome(const Outcome &whole, const Outcome &chunked) {
    if (whole.capped || chunked.capped) {
        size_t common = std::min(whole.bytes.size(), chunked.bytes.size());
        Require(whole.bytes.compare(0, common, chunked.bytes, 0, common) == 0,
                "large output agrees whatever the read sizes");
        return;
    }
    Require(whole.error == chunked.error, "the same error whatever the read sizes");
    if (whole.error.empty())
        Require(whole.bytes == chunked.bytes, "the same bytes whatever the read sizes");
}

std::string Pack(const std::string &plain) {
    TMemoryStream source;
    Fill(source, plain);
    TMemoryStream target;
    CompressWholeStream(source, target);
    return std::string(reinterpret_cast<const char *>(target.Memory()), target.Size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t mode = input.Byte();
    const uint8_t sizeSeed = input.Byte();
    const size_t sizeLimit = 1 + input.Byte() * 37;
    const std::string payload = input.Rest();

    if (mode % 2 == 0) {
        // The payload is a container as it lies on disk.
        Outcome whole = Decode(payload, SizeSequence(0, 1 << 16));
        RequireSameOutcome(whole, Decode(payload, SizeSequence(sizeSeed, sizeLimit)));
        RequireSameOutcome(whole, Decode(payload, SizeSequence(sizeSeed, 1), kByteReadLimit));
        return 0;
    }

    // The payload is plain data: pack it, unpack it, and cut the container.
    const std::string container = Pack(payload);
    Outcome whole = Decode(container, SizeSequence(0, 1 << 16));
    Require(whole.error.empty() && whole.bytes == payload, "packed data unpacks whole");
    RequireSameOutcome(whole, Decode(container, SizeSequence(sizeSeed, sizeLimit)));

    const size_t cut = (static_cast<size_t>(mode / 2) * container.size()) / 128;
    const std::string cutContainer = container.substr(0, std::min(cut, container.size() - 1));
    Outcome cutWhole = Decode(cutContainer, SizeSequence(0, 1 << 16));
    RequireSameOutcome(cutWhole, Decode(cutContainer, SizeSequence(sizeSeed, sizeLimit)));
    if (cutWhole.error.empty())
        Require(payload.compare(0, cutWhole.bytes.size(), cutWhole.bytes) == 0 &&
                    cutWhole.bytes.size() <= payload.size(),
                "a cut container yields a prefix of the plain data");
    return 0;
}
