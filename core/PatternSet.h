// A set of byte patterns searched all at once: one sequential pass over a
// stream of bytes, delivered in chunks of any size, tells which patterns of
// the set occur in it (occurrences across chunk borders included).
//
// In a small set (up to a few thousand patterns of four bytes and more) such
// patterns are found through strided grams: a pattern whose length class
// gives the stride S contributes the S four-byte grams that start in its
// rarest S + 3 bytes, so wherever it occurs one of them starts at a stream
// position that is a multiple of S. Only those positions are tested, against
// a bitmap of the grams; the few that pass look the gram up and verify the
// patterns it names in full. Longer patterns get longer strides, so a few
// definitions cost a fraction of a step per byte. A set whose patterns share
// too many grams (runs of a few byte values) is searched as a large one.
//
// In a large set they are found through an atom, a window of eight of their
// bytes (four for patterns shorter than eight) chosen to be rare: bytes
// unlike the zeros, fill and text common in files, and a value few patterns
// before it in the set took (each pattern weighs the best window of each of
// eight stretches of it). Each position of the stream is tested against a
// small blocked Bloom filter of the atoms, which lets few positions through;
// those look the atom up in an open-addressing table and verify the patterns
// it names in full. A million patterns of some tens of bytes build in about
// a third of a second and take some tens of megabytes beside their own bytes.
//
// Patterns of one to three bytes have direct tables.
//
// Pure (no operating system), so it also builds with the host compiler.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kernel {

class TPatternSet {
public:
    // A pattern's candidate windows for its atom.
    struct AtomCandidates;

    // Adds a pattern and returns its id (0, 1, 2... in the order of first
    // adding). Equal patterns share one id; the empty pattern gets -1, as it
    // never occurs. Only before Seal.
    int32_t Add(std::string_view bytes);
    // The same, given the bytes' HashOf; FetchSlotOf(hash) first, while
    // other work is done, lets the lookup of equal patterns find its slot in
    // the cache.
    int32_t Add(std::string_view bytes, uint32_t hash);
    static uint32_t HashOf(std::string_view bytes);
    void FetchSlotOf(uint32_t hash) const;
    // Makes room for this many more patterns, of this many bytes in all (at
    // most), before they are added.
    void Reserve(size_t patterns, size_t bytes);
    // Builds the lookup tables; the set is fixed afterwards.
    void Seal();

    size_t Size() const { return starts_.size() - 1; }
    size_t MaxLength() const { return maxLength_; }
    std::string_view Pattern(int32_t id) const;
    // Bytes held by the sealed set's tables and patterns.
    size_t MemoryBytes() const;

private:
    friend class TPatternScan;

    // One slot of an atom table: the atom's bytes, the pattern, and where in
    // the pattern the atom starts. Id -1 marks a free slot.
    struct AtomSlot {
        uint32_t Low;
        uint32_t High;
        int32_t Id;
        uint32_t Offset;
    };

    // The bitmap and table of the grams of the patterns of one length class
    // of a small set; AtomSlot::Low holds the gram, High is 0.
    struct GramIndex {
        size_t Stride = 1;
        unsigned BitmapBits = 0;
        unsigned SlotBits = 0;
        // In bytes, so that a test is a byte load and a shift on 32-bit
        // processors too.
        std::vector<uint8_t> Bitmap;
        std::vector<AtomSlot> Slots;
        bool Empty() const { return Slots.empty(); }
        size_t MemoryBytes() const;
    };

    // The filter and table of the patterns whose atom is Width bytes long.
    struct AtomIndex {
        size_t Width = 0;
        unsigned BlockBits = 0;
        unsigned SlotBits = 0;
        std::vector<uint32_t> Filter;
        std::vector<AtomSlot> Slots;
        bool Empty() const { return Slots.empty(); }
        size_t MemoryBytes() const;
    };

    uint32_t Length(int32_t id) const { return starts_[static_cast<size_t>(id) + 1] - starts_[static_cast<size_t>(id)]; }
    const unsigned char *Bytes(int32_t id) const {
        return reinterpret_cast<const unsigned char *>(bytes_.data()) + starts_[static_cast<size_t>(id)];
    }
    // A slot of the table of ids by content hash; Id -1 marks a free slot.
    struct DedupSlot {
        int32_t Id;
        uint32_t Hash;
    };
    int32_t FindEqual(std::string_view bytes, uint32_t hash) const;
    static void PlaceDedup(std::vector<DedupSlot> &slots, DedupSlot entry);
    void GrowDedup();
    void SealShort();
    void SealAtoms(AtomIndex &index, size_t width, size_t minLength, size_t maxLength);
    void EnterAtom(AtomIndex &index, int32_t id, uint32_t start, uint32_t hash);
    // False when some gram value is given by too many windows.
    bool SealGrams(GramIndex &index, size_t minLength, size_t maxLength);

    // The patterns, one after the other; pattern i is bytes_[starts_[i], starts_[i + 1]).
    std::string bytes_;
    std::vector<uint32_t> starts_{0};
    size_t maxLength_ = 0;
    // While adding: an open-addressing table of ids by content hash.
    std::vector<DedupSlot> dedupSlots_;

    // Patterns of one, two and three bytes, by their bytes (little-endian key).
    std::array<int32_t, 256> singles_{};
    bool hasSingles_ = false;
    std::vector<int32_t> pairs_;
    std::vector<uint64_t> tripleFilter_;
    std::vector<std::pair<uint32_t, int32_t>> triples_; // sorted by key

    // A small set: patterns of four to seven, eight to fifteen, and sixteen
    // bytes and more, each class by its strided grams.
    std::array<GramIndex, 3> grams_;
    // A large set: patterns of four to seven bytes by a four-byte atom,
    // longer ones by an eight-byte atom.
    AtomIndex quads_;
    AtomIndex octets_;
};

// One pass of a sealed set over one stream of bytes.
class TPatternScan {
public:
    explicit TPatternScan(const TPatternSet &set);

    // Starts a new stream: nothing found, nothing carried.
    void Reset();
    // The next bytes of the stream.
    void Feed(const unsigned char *data, size_t length);
    // Every pattern id met so far, each once, in the order first met.
    const std::vector<int32_t> &Found() const { return found_; }

private:
    void Mark(int32_t id);
    void VerifyAt(int32_t id, size_t start, const unsigned char *window, size_t size);
    // Finds every pattern that lies wholly in the window; `seam` says that
    // the window is the small one across two feeds, where grams are tested at
    // every position, since its positions are not those of the stride.
    void ScanWindow(const unsigned char *window, size_t size, bool seam);
    void KeepTail(const unsigned char *data, size_t length);
    void ScanShort(const unsigned char *window, size_t size);
    void ScanGrams(const TPatternSet::GramIndex &index, const unsigned char *window, size_t size,
                   size_t step);
    void LookUpGram(const TPatternSet::GramIndex &index, uint32_t gram, uint32_t hash, size_t at,
                    const unsigned char *window, size_t size);
    void ScanAtoms(const TPatternSet::AtomIndex &index, const unsigned char *window, size_t size);
    void LookUpAtom(const TPatternSet::AtomIndex &index, uint32_t hash, size_t at,
                    const unsigned char *window, size_t size);

    const TPatternSet &set_;
    // The last MaxLength() - 1 bytes of the stream (carried_ of them), then,
    // while a feed is scanned, the first bytes being fed: an occurrence that
    // starts in the carried bytes lies wholly in it. The bytes fed are
    // scanned where they lie.
    std::vector<unsigned char> seam_;
    size_t carried_ = 0;
    std::vector<uint8_t> seen_;
    std::vector<int32_t> found_;
};

} // namespace kernel
