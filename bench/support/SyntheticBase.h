// A bench's base written straight into the table in place of the engine's
// unpacking, so that a bench measures the load's index build and the scan,
// not the unpacking (base_load measures that).
#pragma once

#include "Engine.h"

#include <cstdint>
#include <functional>
#include <string>

namespace benchsupport {

struct TSyntheticRecord {
    std::string Name;
    std::string Signature;
    char Kind;
    std::string Offset;
};

// The real engine, except that a base "unpacks" into count records, each
// slot's from recordAt; OnFilled, when set, runs as soon as they are in.
class TSyntheticBaseEngine : public scanner::TEngineRelay {
public:
    using TRecordAt = std::function<TSyntheticRecord(int32_t slot)>;
    TSyntheticBaseEngine(TRecordAt recordAt, int32_t count)
        : recordAt_(std::move(recordAt)), count_(count) {}
    void UnPakBaseToStream(const std::string &path, void **table) override;

    std::function<void()> OnFilled;

private:
    TRecordAt recordAt_;
    int32_t count_;
};

// Writes the one base file of folder (ending with a backslash) that the
// engine "unpacks": a load needs a file to find.
void WriteSyntheticBaseFile(const std::string &folder);

} // namespace benchsupport
