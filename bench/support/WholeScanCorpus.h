// The whole scan bench's corpus and bases: a generated tree of files, with
// planted ones that each base must find, and the records of each base, all
// from fixed seeds, so that every run (and a peer scanner given the same
// records) sees the same.
#pragma once

#include "SyntheticBase.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace wholescan {

using Record = benchsupport::TSyntheticRecord;

enum class Layout { Empty, Fingerprints, Mixed, Patterns };

struct BaseConfig {
    const char *Key;
    const char *Label;
    Layout Shape;
    int32_t Count;
};

// The bases a run may name, in the order a run without keys takes them.
const std::vector<BaseConfig> &AllConfigs();
// The base of a key; null for a key no base has.
const BaseConfig *FindConfig(const std::string &key);

struct OffsetDefinition {
    uint32_t Position;
    unsigned char Bytes[4];
};

// The offset definition of an index: its position and four bytes.
OffsetDefinition OffsetDefinitionAt(uint64_t index);

// The records of one base, in table order. The mixed base spreads its kinds
// as a real base would: in each block of 1,011 slots, ten kind "1" records
// (at 50, 151, ... 959), one kind "2" record (at 505), and 1,000 kind "0".
class TBaseRecords {
public:
    // plantedFingerprints: the corpus's planted files' fingerprint texts
    // (PlantedFingerprints), which stand in the kind "0" records.
    TBaseRecords(const BaseConfig &config, std::vector<std::string> plantedFingerprints)
        : config_(config), plantedFingerprints_(std::move(plantedFingerprints)) {}

    Record At(int32_t slot) const;

private:
    Record MixedRecord(uint32_t slot) const;
    Record FingerprintRecord(uint32_t index) const;
    static Record PatternRecord(uint32_t index);
    static Record OffsetRecord(uint32_t index);

    const BaseConfig &config_;
    std::vector<std::string> plantedFingerprints_;
};

// The fingerprint texts of the planted kind "0" files of a corpus, read by
// the engine.
std::vector<std::string> PlantedFingerprints(const std::string &corpus);

// The planted files a base must find, as paths below the corpus, sorted.
std::vector<std::string> ExpectedDetections(const BaseConfig &config);

// Writes a corpus of fileCount files below corpus (a folder path ending with
// a backslash), or reuses one written before; prints what it did and
// returns the bench's exit code.
int Generate(const std::string &corpus, int fileCount);

} // namespace wholescan
