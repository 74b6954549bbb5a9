// Finds the first slot of a DefinitionTable that matches a file, in table
// order, without walking every slot: kind "0" signatures go into a hash map
// (lowest slot per signature), and only the slots of kinds "1" and "2" that
// come before that slot are tried one by one. The slot tried, the order of
// the engine calls and the slot reported are those of a walk from slot 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scanner {

// The fields of one slot as texts (length bytes above a field's capacity are
// cut to the capacity).
struct DefinitionSlot {
    std::string_view Name;
    std::string_view Signature;
    std::string_view Offset;
    char Kind = 0;
};

// Reads slot i of a table.
DefinitionSlot ReadSlot(const uint8_t *table, int32_t index);
// The table's RecordCount, kept within the table's slots; 0 when it is not
// an integer or negative.
int32_t ReadRecordCount(const uint8_t *table);

// Asks the engine about one file for the slots of kinds "1" and "2".
class ISlotProbe {
public:
    virtual ~ISlotProbe() = default;
    virtual bool HexMatches(std::string_view signature) = 0;
    virtual bool OffsetMatches(std::string_view signature, int32_t offset) = 0;
};

class TDefinitionIndex {
public:
    // Indexes slots 0 to recordCount - 1 of the table.
    void Build(const uint8_t *table, int32_t recordCount);
    // The lowest matching slot, -1 when none matches.
    int32_t FirstMatch(std::string_view fingerprint, ISlotProbe &probe) const;

private:
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
