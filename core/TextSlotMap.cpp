#include "TextSlotMap.h"

#include "TextHash.h"

#include <algorithm>

namespace kernel {

void TTextSlotMap::Clear() {
    slots_.clear();
    entries_.clear();
}

void TTextSlotMap::Reserve(size_t texts) {
    entries_.reserve(texts);
    size_t slotCount = std::max<size_t>(slots_.size(), 64);
    while (slotCount < texts * 2)
        slotCount *= 2;
    if (slotCount != slots_.size())
        Grow(slotCount);
}

size_t TTextSlotMap::SlotOf(std::string_view text, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    while (slots_[slot].Entry >= 0 &&
           (slots_[slot].Hash != hash || entries_[static_cast<size_t>(slots_[slot].Entry)].Text != text))
        slot = (slot + 1) & mask;
    return slot;
}

// Rehashes into slotCount slots (a power of two, at least twice the entries).
void TTextSlotMap::Grow(size_t slotCount) {
    std::vector<Slot> grown(slotCount, Slot{0, -1});
    const size_t mask = grown.size() - 1;
    for (const Slot &entry : slots_) {
        if (entry.Entry < 0)
            continue;
        size_t slot = entry.Hash & mask;
        while (grown[slot].Entry >= 0)
            slot = (slot + 1) & mask;
        grown[slot] = entry;
    }
    slots_.swap(grown);
}

void TTextSlotMap::Insert(std::string_view text, int32_t index) {
    if ((entries_.size() + 1) * 2 > slots_.size())
        Grow(std::max<size_t>(64, slots_.size() * 2));
    const uint32_t hash = TextHash(text);
    const size_t slot = SlotOf(text, hash);
    if (slots_[slot].Entry >= 0)
        return;
    slots_[slot] = Slot{hash, static_cast<int32_t>(entries_.size())};
    entries_.push_back(Entry{text, index});
}

int32_t TTextSlotMap::Find(std::string_view text) const {
    if (slots_.empty())
        return kAbsent;
    const size_t slot = SlotOf(text, TextHash(text));
    return slots_[slot].Entry < 0 ? kAbsent : entries_[static_cast<size_t>(slots_[slot].Entry)].Index;
}

} // namespace kernel
