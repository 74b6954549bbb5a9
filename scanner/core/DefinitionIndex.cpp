#include "DefinitionIndex.h"

#include <brenvald/IntegerText.h>

#include <limits>

namespace scanner {

int32_t ReadRecordCount(const uint8_t *table) {
    const auto count = brenvald::ParseInteger(brenvald::ReadTableRecordCount(table));
    if (!count || *count < 0)
        return 0;
    return std::min<int32_t>(*count, static_cast<int32_t>(brenvald::kSlotCount));
}

void TDefinitionIndex::Build(const uint8_t *table, int32_t recordCount) {
    fingerprintSlots_.clear();
    probeSlots_.clear();
    fingerprintSlots_.reserve(static_cast<size_t>(recordCount));
    for (int32_t index = 0; index < recordCount; ++index) {
        const DefinitionSlot slot = brenvald::ReadTableSlot(table, static_cast<size_t>(index));
        if (slot.Kind == brenvald::kKindMd5Fingerprint) {
            // emplace keeps the first, lowest slot of a signature.
            fingerprintSlots_.emplace(slot.Signature, index);
        } else if (slot.Kind == brenvald::kKindHexSignature) {
            probeSlots_.push_back({index, slot.Kind, std::string(slot.Signature), 0});
        } else if (slot.Kind == brenvald::kKindOffsetSignature) {
            if (auto offset = brenvald::ParseInteger(slot.Offset))
                probeSlots_.push_back({index, slot.Kind, std::string(slot.Signature), *offset});
        }
    }
}

int32_t TDefinitionIndex::FirstMatch(std::string_view fingerprint, ISlotProbe &probe) const {
    const auto fingerprintSlot = fingerprintSlots_.find(fingerprint);
    const int32_t bound = fingerprintSlot == fingerprintSlots_.end()
                              ? std::numeric_limits<int32_t>::max()
                              : fingerprintSlot->second;
    for (const ProbeSlot &slot : probeSlots_) {
        if (slot.Index >= bound)
            break;
        const bool matches = slot.Kind == brenvald::kKindHexSignature
                                 ? probe.HexMatches(slot.Signature)
                                 : probe.OffsetMatches(slot.Signature, slot.Offset);
        if (matches)
            return slot.Index;
    }
    return fingerprintSlot == fingerprintSlots_.end() ? -1 : bound;
}

} // namespace scanner
