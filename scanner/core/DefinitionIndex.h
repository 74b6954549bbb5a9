// Finds the first slot of a DefinitionTable that matches a file, in table
// order, without walking every slot: kind "0" signatures go into a hash map
// (lowest slot per signature), and only the slots of kinds "1" and "2" that
// come before that slot are tried one by one. The slots tried, the order of
// the engine calls and the slot reported are those of a walk from slot 0.
#pragma once

#include <brenvald/DefinitionTable.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scanner {

using DefinitionSlot = brenvald::DefinitionRecordView;

// The table's RecordCount as a number of slots: 0 when it is not an integer
// or negative, at most the table's slot count.
int32_t ReadRecordCount(const uint8_t *table);

// Asks the engine about one file for the slots of kinds "1" and "2".
class ISlotProbe {
public:
    virtual ~ISlotProbe() = default;
    virtual bool HexMatches(const std::string &signature) = 0;
    virtual bool OffsetMatches(const std::string &signature, int32_t offset) = 0;
};

class TDefinitionIndex {
public:
    // Indexes slots 0 to recordCount - 1 of the table, which must stay
    // unchanged while the index is used.
    void Build(const uint8_t *table, int32_t recordCount);
    // The lowest matching slot, -1 when none matches.
    int32_t FirstMatch(std::string_view fingerprint, ISlotProbe &probe) const;

private:
    // A slot of kind "1" or "2"; a kind "2" slot whose Offset is not an
    // integer can never match and is left out.
    struct ProbeSlot {
        int32_t Index;
        char Kind;
        std::string Signature;
        int32_t Offset;
    };

    std::unordered_map<std::string_view, int32_t> fingerprintSlots_;
    std::vector<ProbeSlot> probeSlots_;
};

} // namespace scanner
