// A set of byte patterns searched all at once: one sequential pass over a
// stream of bytes, delivered in chunks of any size, tells which patterns of
// the set occur in it (occurrences across chunk borders included).
//
// Patterns of four bytes and more are found through an atom, the four of
// their bytes least likely to be common: a compact bitmap of hashed atoms
// passes few positions, a hash table gives the patterns with that atom, and
// each is verified in full. Patterns of one to three bytes have direct
// tables. Building and scanning cost time and memory in proportion to the
// set; a million patterns fit in some tens of megabytes.
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
    // Adds a pattern and returns its id (0, 1, 2... in the order of first
    // adding). Equal patterns share one id; the empty pattern gets -1, as it
    // never occurs. Only before Seal.
    int32_t Add(std::string_view bytes);
    // Builds the lookup tables; the set is fixed afterwards.
    void Seal();

    size_t Size() const { return starts_.size() - 1; }
    size_t MaxLength() const { return maxLength_; }
    std::string_view Pattern(int32_t id) const;
    // Bytes held by the sealed set's tables and patterns.
    size_t MemoryBytes() const;

private:
    friend class TPatternScan;

    struct AtomEntry {
        uint32_t Atom;
        int32_t Id;
    };

    uint32_t Length(int32_t id) const { return starts_[static_cast<size_t>(id) + 1] - starts_[static_cast<size_t>(id)]; }
    const unsigned char *Bytes(int32_t id) const {
        return reinterpret_cast<const unsigned char *>(bytes_.data()) + starts_[static_cast<size_t>(id)];
    }
    int32_t FindEqual(std::string_view bytes, uint64_t hash) const;
    void GrowDedup();
    void SealShort();
    void SealQuads();

    // The patterns, one after the other; pattern i is bytes_[starts_[i], starts_[i + 1]).
    std::string bytes_;
    std::vector<uint32_t> starts_{0};
    size_t maxLength_ = 0;
    // While adding: an open-addressing table of ids by content hash.
    std::vector<int32_t> dedupSlots_;
    std::vector<uint64_t> hashes_;

    // Patterns of one, two and three bytes, by their bytes (little-endian key).
    std::array<int32_t, 256> singles_{};
    bool hasSingles_ = false;
    std::vector<int32_t> pairs_;
    std::vector<uint64_t> tripleFilter_;
    std::vector<std::pair<uint32_t, int32_t>> triples_; // sorted by key

    // Patterns of four bytes and more: where each one's atom starts, a bitmap
    // of hashed atoms, and the entries grouped by bucket.
    std::vector<uint32_t> atomOffsets_;
    std::vector<uint64_t> quadFilter_;
    unsigned filterBits_ = 0;
    unsigned bucketBits_ = 0;
    std::vector<uint32_t> bucketStarts_;
    std::vector<AtomEntry> atoms_;
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
    void ScanShort(const unsigned char *window, size_t size);
    void ScanQuads(const unsigned char *window, size_t size);

    const TPatternSet &set_;
    // The last MaxLength() - 1 bytes of the stream, then the bytes being fed.
    std::vector<unsigned char> window_;
    size_t carried_ = 0;
    std::vector<uint8_t> seen_;
    std::vector<int32_t> found_;
};

} // namespace kernel
