// Texts to the lowest slot index that holds each: the fingerprint lookup of
// a loaded base. One flat open-addressing table of hashes and entry numbers
// beside the entries themselves, so that a million texts go in with no
// allocation each and a lookup costs one or two cache misses. The texts are
// views: what they point into outlives the map.
//
// Pure (no operating system), so it also builds with the host compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kernel {

class TTextSlotMap {
public:
    static constexpr int32_t kAbsent = -1;

    void Clear();
    // Makes room for this many texts in all.
    void Reserve(size_t texts);
    // Keeps the first index given for a text.
    void Insert(std::string_view text, int32_t index);
    // The index of the text, or kAbsent.
    int32_t Find(std::string_view text) const;
    size_t Size() const { return entries_.size(); }

private:
    struct Slot {
        uint32_t Hash;
        int32_t Entry; // -1 marks a free slot
    };
    struct Entry {
        std::string_view Text;
        int32_t Index;
    };

    // The slot holding the text, or the free slot where it would go.
    size_t SlotOf(std::string_view text, uint32_t hash) const;
    void Grow(size_t slotCount);

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

} // namespace kernel
