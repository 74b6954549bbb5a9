#include "PatternSet.h"

#include "TextHash.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace kernel {

namespace {

constexpr size_t kShortAtom = 4;
constexpr size_t kLongAtom = 8;
// A filter block of 32 bits per atom, three bits set per atom: about one
// position in a thousand that holds no atom passes.
constexpr unsigned kMinBlockBits = 6;
// Only the first windows of a very long pattern are weighed for its atom.
constexpr size_t kAtomChoices = 128;
// Of those, each pattern weighs this many candidates against the patterns
// before it.
constexpr size_t kAtomCandidates = 8;
// How many patterns took each atom value, while choosing: counters per
// pattern (a hashed sketch; collisions only overstate a count).
constexpr size_t kTallyCountersPerPattern = 4;
// Stream positions hashed and prefetched together.
constexpr size_t kBatch = 32;
// A set with at most this many patterns of four bytes and more is small: its
// strided grams keep the bitmap within the second-level cache.
constexpr size_t kGramSetLimit = 4096;
constexpr size_t kGramWidth = 4;
// The longest stride: the grams of one pattern, each a slot and a bit.
constexpr size_t kMaxStride = 16;
// The bitmap has about 64 bits per gram, so about one position in 64 that
// holds no gram of the set passes; within 512 bits and 512 KiB.
constexpr unsigned kGramBitsPerEntryBits = 6;
constexpr unsigned kMinBitmapBits = 9;
constexpr unsigned kMaxBitmapBits = 22;
// The length classes of a small set's grams: [4, 8), [8, 16), [16, ...).
constexpr size_t kGramClassStarts[] = {4, 8, 16, SIZE_MAX};
// A gram value given by more windows than this makes each test of it walk
// them all, as when many patterns are runs of a few byte values: such a set
// is searched through its atoms, which weigh how many patterns share a value.
constexpr uint32_t kMaxGramRepeats = 32;

uint32_t Load32(const unsigned char *bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The two halves of the atom at bytes; a four-byte atom has no high half.
struct AtomValue {
    uint32_t Low;
    uint32_t High;
};

AtomValue LoadAtom(const unsigned char *bytes, size_t width) {
    return {Load32(bytes), width == kLongAtom ? Load32(bytes + 4) : 0};
}

// Only the high bits of the hash are well mixed; every index takes its bits
// from the top.
uint32_t AtomHash(uint32_t low, uint32_t high) { return (low * 0x9E3779B1u ^ high * 0x85EBCA77u) * 0x7FEB352Du; }

uint32_t TopBits(uint32_t hash, unsigned bits) { return bits == 0 ? 0 : hash >> (32 - bits); }

uint32_t GramHash(uint32_t gram) { return gram * 0x9E3779B1u; }

// The three filter bits of an atom within its block.
uint32_t FilterMask(uint32_t hash) {
    const uint32_t bits = hash * 0x2C1B3C6Du;
    return uint32_t{1} << (bits >> 27) | uint32_t{1} << ((bits >> 22) & 31) | uint32_t{1} << ((bits >> 17) & 31);
}

uint32_t LoadTriple(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16;
}

// How unlikely a byte is to be common in files: zeros, 0xFF fill, blanks and
// the usual padding bytes are everywhere; text less so; other bytes least.
constexpr int ByteRarity(unsigned char byte) {
    if (byte == 0x00)
        return 0;
    if (byte == 0xFF || byte == 0x20 || byte == 0x90 || byte == 0xCC)
        return 1;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
        return 3;
    return 4;
}

constexpr std::array<uint8_t, 256> TwiceRarities() {
    std::array<uint8_t, 256> scores{};
    for (int byte = 0; byte < 256; ++byte)
        scores[static_cast<size_t>(byte)] = static_cast<uint8_t>(2 * ByteRarity(static_cast<unsigned char>(byte)));
    return scores;
}

constexpr std::array<uint8_t, 256> kTwiceRarities = TwiceRarities();

// How good each window of width bytes among the first `windows` of a
// pattern is as its atom, from its bytes alone: rare bytes, and bytes that
// differ from their neighbours, score higher. Each byte is scored once and
// the windows' sums slide along.
void WindowScores(const unsigned char *bytes, size_t width, size_t windows, int *scores) {
    uint8_t byteScores[kAtomChoices + kMaxStride + kLongAtom];
    const size_t scored = windows + width - 1;
    for (size_t at = 0; at < scored; ++at) {
        const bool changes = at == 0 || bytes[at] != bytes[at - 1];
        byteScores[at] = static_cast<uint8_t>(kTwiceRarities[bytes[at]] + (changes ? 3 : 0));
    }
    int sum = 0;
    for (size_t at = 0; at < width; ++at)
        sum += byteScores[at];
    scores[0] = sum;
    for (size_t start = 1; start < windows; ++start) {
        sum += byteScores[start + width - 1] - byteScores[start - 1];
        scores[start] = sum;
    }
}

unsigned BitsFor(size_t count) {
    unsigned bits = 0;
    while ((size_t{1} << bits) < count)
        ++bits;
    return bits;
}

bool TestBit(const std::vector<uint64_t> &bits, uint32_t index) {
    return (bits[index >> 6] >> (index & 63)) & 1;
}

void SetBit(std::vector<uint64_t> &bits, uint32_t index) { bits[index >> 6] |= uint64_t{1} << (index & 63); }

void SetBit(std::vector<uint8_t> &bits, uint32_t index) {
    bits[index >> 3] = static_cast<uint8_t>(bits[index >> 3] | 1u << (index & 7));
}

// Gives back what is unused of a container's storage, unless that is at most
// a quarter, as in a set sized beforehand by an upper bound: a copy of a
// large set's tens of megabytes, each page of it a fault, costs more than the
// room kept, which is never touched.
template <class Container> void ShrinkIfWasteful(Container &container) {
    if (container.capacity() - container.size() > container.size() / 4)
        container.shrink_to_fit();
}

} // namespace

// --- Building ---

// The windows of a pattern weighed as its atom: the best-scoring window of
// each of up to kAtomCandidates equal stretches of its first kAtomChoices
// windows, so that the candidates cover the whole pattern (a shared header
// leaves candidates where patterns differ) and weighing them costs a few
// steps per pattern however long it is.
struct TPatternSet::AtomCandidates {
    size_t Count = 0;
    uint32_t Starts[kAtomCandidates];
    int Scores[kAtomCandidates];
    uint32_t Hashes[kAtomCandidates];

    void Take(const unsigned char *bytes, size_t length, size_t width) {
        const size_t windows = std::min<size_t>(length - width + 1, kAtomChoices);
        const size_t stretches = std::min(windows, kAtomCandidates);
        int scores[kAtomChoices];
        WindowScores(bytes, width, windows, scores);
        size_t start = 0;
        Count = 0;
        for (size_t stretch = 0; stretch < stretches; ++stretch) {
            const size_t end = windows * (stretch + 1) / stretches;
            Starts[Count] = static_cast<uint32_t>(start);
            Scores[Count] = scores[start];
            for (++start; start < end; ++start) {
                if (scores[start] > Scores[Count]) {
                    Scores[Count] = scores[start];
                    Starts[Count] = static_cast<uint32_t>(start);
                }
            }
            const AtomValue atom = LoadAtom(bytes + Starts[Count], width);
            Hashes[Count] = AtomHash(atom.Low, atom.High);
            ++Count;
        }
    }
};

namespace {

int Log2Ceil(uint32_t value) { return value <= 1 ? 0 : 32 - __builtin_clz(value - 1); }

// How many patterns took each atom value so far.
class TAtomTally {
public:
    explicit TAtomTally(size_t patterns)
        : bits_(BitsFor(patterns * kTallyCountersPerPattern)), counts_(size_t{1} << bits_, 0) {}

    void Fetch(uint32_t hash) const { __builtin_prefetch(&counts_[TopBits(hash, bits_)]); }

    // The candidate of least cost, which is then counted as taken.
    size_t Choose(const TPatternSet::AtomCandidates &candidates) {
        size_t best = 0;
        int bestCost = INT32_MAX;
        for (size_t k = 0; k < candidates.Count; ++k) {
            const int cost = 8 * Log2Ceil(counts_[TopBits(candidates.Hashes[k], bits_)]) - candidates.Scores[k];
            if (cost < bestCost) {
                bestCost = cost;
                best = k;
            }
        }
        uint8_t &count = counts_[TopBits(candidates.Hashes[best], bits_)];
        count = static_cast<uint8_t>(count + (count < UINT8_MAX));
        return best;
    }

private:
    unsigned bits_;
    std::vector<uint8_t> counts_;
};

} // namespace

int32_t TPatternSet::FindEqual(std::string_view bytes, uint32_t hash) const {
    if (dedupSlots_.empty())
        return -1;
    const size_t mask = dedupSlots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const DedupSlot &entry = dedupSlots_[slot];
        if (entry.Id < 0)
            return -1;
        if (entry.Hash == hash && Pattern(entry.Id) == bytes)
            return entry.Id;
    }
}

void TPatternSet::PlaceDedup(std::vector<DedupSlot> &slots, DedupSlot entry) {
    const size_t mask = slots.size() - 1;
    size_t slot = entry.Hash & mask;
    while (slots[slot].Id >= 0)
        slot = (slot + 1) & mask;
    slots[slot] = entry;
}

void TPatternSet::GrowDedup() {
    std::vector<DedupSlot> slots(std::max<size_t>(64, dedupSlots_.size() * 2), DedupSlot{-1, 0});
    for (const DedupSlot &entry : dedupSlots_)
        if (entry.Id >= 0)
            PlaceDedup(slots, entry);
    dedupSlots_.swap(slots);
}

void TPatternSet::Reserve(size_t patterns, size_t bytes) {
    const size_t total = Size() + patterns;
    starts_.reserve(total + 1);
    bytes_.reserve(bytes_.size() + bytes);
    while (total * 2 > dedupSlots_.size())
        GrowDedup();
}

uint32_t TPatternSet::HashOf(std::string_view bytes) { return TextHash(bytes); }

void TPatternSet::FetchSlotOf(uint32_t hash) const {
    if (!dedupSlots_.empty())
        __builtin_prefetch(&dedupSlots_[hash & (dedupSlots_.size() - 1)]);
}

int32_t TPatternSet::Add(std::string_view bytes) { return Add(bytes, HashOf(bytes)); }

int32_t TPatternSet::Add(std::string_view bytes, uint32_t hash) {
    if (bytes.empty())
        return -1;
    const int32_t existing = FindEqual(bytes, hash);
    if (existing >= 0)
        return existing;
    const int32_t id = static_cast<int32_t>(Size());
    bytes_.append(bytes.data(), bytes.size());
    starts_.push_back(static_cast<uint32_t>(bytes_.size()));
    maxLength_ = std::max(maxLength_, bytes.size());
    if (Size() * 2 > dedupSlots_.size())
        GrowDedup();
    PlaceDedup(dedupSlots_, DedupSlot{id, hash});
    return id;
}

std::string_view TPatternSet::Pattern(int32_t id) const {
    return std::string_view(bytes_.data() + starts_[static_cast<size_t>(id)], Length(id));
}

void TPatternSet::Seal() {
    std::vector<DedupSlot>().swap(dedupSlots_);
    ShrinkIfWasteful(bytes_);
    ShrinkIfWasteful(starts_);
    SealShort();
    size_t gramPatterns = 0;
    for (int32_t id = 0; id < static_cast<int32_t>(Size()); ++id)
        gramPatterns += Length(id) >= kGramWidth;
    if (gramPatterns <= kGramSetLimit) {
        bool sealed = true;
        for (size_t k = 0; k < grams_.size() && sealed; ++k)
            sealed = SealGrams(grams_[k], kGramClassStarts[k], kGramClassStarts[k + 1] - 1);
        if (sealed)
            return;
        grams_ = {};
    }
    SealAtoms(quads_, kShortAtom, kShortAtom, kLongAtom - 1);
    SealAtoms(octets_, kLongAtom, kLongAtom, SIZE_MAX);
}

// The stride is the shortest pattern's length less three, so that each
// pattern holds a window of stride + 3 bytes; each pattern takes the window
// its bytes score best.
bool TPatternSet::SealGrams(GramIndex &index, size_t minLength, size_t maxLength) {
    index = GramIndex();
    std::vector<int32_t> members;
    size_t shortest = SIZE_MAX;
    for (int32_t id = 0; id < static_cast<int32_t>(Size()); ++id) {
        if (Length(id) >= minLength && Length(id) <= maxLength) {
            members.push_back(id);
            shortest = std::min<size_t>(shortest, Length(id));
        }
    }
    if (members.empty())
        return true;
    index.Stride = std::min(shortest - kGramWidth + 1, kMaxStride);
    const size_t width = index.Stride + kGramWidth - 1;
    const size_t entries = members.size() * index.Stride;
    index.BitmapBits = std::clamp(BitsFor(entries << kGramBitsPerEntryBits), kMinBitmapBits, kMaxBitmapBits);
    index.Bitmap.assign((size_t{1} << index.BitmapBits) / 8, 0);
    index.SlotBits = BitsFor(entries * 2);
    index.Slots.assign(size_t{1} << index.SlotBits, AtomSlot{0, 0, -1, 0});
    const uint32_t slotMask = static_cast<uint32_t>(index.Slots.size() - 1);
    for (int32_t id : members) {
        const unsigned char *bytes = Bytes(id);
        const size_t windows = std::min<size_t>(Length(id) - width + 1, kAtomChoices);
        int scores[kAtomChoices];
        WindowScores(bytes, width, windows, scores);
        const size_t bestStart = static_cast<size_t>(std::max_element(scores, scores + windows) - scores);
        for (size_t offset = bestStart; offset < bestStart + index.Stride; ++offset) {
            const uint32_t gram = Load32(bytes + offset);
            const uint32_t hash = GramHash(gram);
            SetBit(index.Bitmap, TopBits(hash, index.BitmapBits));
            uint32_t slot = TopBits(hash, index.SlotBits);
            uint32_t repeats = 0;
            for (; index.Slots[slot].Id >= 0; slot = (slot + 1) & slotMask)
                repeats += index.Slots[slot].Low == gram;
            if (repeats >= kMaxGramRepeats)
                return false;
            index.Slots[slot] = AtomSlot{gram, 0, id, static_cast<uint32_t>(offset)};
        }
    }
    return true;
}

void TPatternSet::SealShort() {
    singles_.fill(-1);
    for (int32_t id = 0; id < static_cast<int32_t>(Size()); ++id) {
        const unsigned char *bytes = Bytes(id);
        switch (Length(id)) {
        case 1:
            singles_[bytes[0]] = id;
            hasSingles_ = true;
            break;
        case 2:
            if (pairs_.empty())
                pairs_.assign(65536, -1);
            pairs_[bytes[0] | bytes[1] << 8] = id;
            break;
        case 3:
            triples_.emplace_back(LoadTriple(bytes), id);
            break;
        default:
            break;
        }
    }
    if (triples_.empty())
        return;
    std::sort(triples_.begin(), triples_.end());
    tripleFilter_.assign((size_t{1} << 24) / 64, 0);
    for (const auto &triple : triples_)
        SetBit(tripleFilter_, triple.first);
}

// Chooses each pattern's atom and builds the filter and table. A candidate's
// cost grows with how many patterns before it took its value, so that
// patterns with a common part (a shared header, runs of fill) take their
// atoms from where they differ, and falls with its own score.
void TPatternSet::SealAtoms(AtomIndex &index, size_t width, size_t minLength, size_t maxLength) {
    index = AtomIndex();
    index.Width = width;
    std::vector<int32_t> members;
    for (int32_t id = 0; id < static_cast<int32_t>(Size()); ++id)
        if (Length(id) >= minLength && Length(id) <= maxLength)
            members.push_back(id);
    if (members.empty())
        return;
    index.BlockBits = std::max(kMinBlockBits, BitsFor(members.size()));
    index.Filter.assign(size_t{1} << index.BlockBits, 0);
    index.SlotBits = BitsFor(members.size() * 2);
    index.Slots.assign(size_t{1} << index.SlotBits, AtomSlot{0, 0, -1, 0});
    TAtomTally tally(members.size());

    // Patterns go kBatch at a time through three steps: their candidates
    // (and a fetch of their counters), the choice (and a fetch of the filter
    // block and first slot of the chosen atom), the entry. The tables of a
    // large set are far larger than the cache, and the misses of a step then
    // overlap rather than follow one another.
    struct PendingPattern {
        int32_t Id;
        AtomCandidates Candidates;
        size_t Chosen;
    };
    PendingPattern pending[kBatch];
    for (size_t first = 0; first < members.size(); first += kBatch) {
        const size_t count = std::min(kBatch, members.size() - first);
        for (size_t k = 0; k < count; ++k) {
            PendingPattern &next = pending[k];
            next.Id = members[first + k];
            next.Candidates.Take(Bytes(next.Id), Length(next.Id), width);
            for (size_t c = 0; c < next.Candidates.Count; ++c)
                tally.Fetch(next.Candidates.Hashes[c]);
        }
        for (size_t k = 0; k < count; ++k) {
            PendingPattern &next = pending[k];
            next.Chosen = tally.Choose(next.Candidates);
            const uint32_t hash = next.Candidates.Hashes[next.Chosen];
            __builtin_prefetch(&index.Filter[TopBits(hash, index.BlockBits)]);
            __builtin_prefetch(&index.Slots[TopBits(hash, index.SlotBits)]);
        }
        for (size_t k = 0; k < count; ++k)
            EnterAtom(index, pending[k].Id, pending[k].Candidates.Starts[pending[k].Chosen],
                      pending[k].Candidates.Hashes[pending[k].Chosen]);
    }
}

void TPatternSet::EnterAtom(AtomIndex &index, int32_t id, uint32_t start, uint32_t hash) {
    const uint32_t slotMask = static_cast<uint32_t>(index.Slots.size() - 1);
    const AtomValue atom = LoadAtom(Bytes(id) + start, index.Width);
    index.Filter[TopBits(hash, index.BlockBits)] |= FilterMask(hash);
    uint32_t slot = TopBits(hash, index.SlotBits);
    while (index.Slots[slot].Id >= 0)
        slot = (slot + 1) & slotMask;
    index.Slots[slot] = AtomSlot{atom.Low, atom.High, id, start};
}

size_t TPatternSet::AtomIndex::MemoryBytes() const {
    return Filter.capacity() * sizeof(uint32_t) + Slots.capacity() * sizeof(AtomSlot);
}

size_t TPatternSet::GramIndex::MemoryBytes() const {
    return Bitmap.capacity() + Slots.capacity() * sizeof(AtomSlot);
}

size_t TPatternSet::MemoryBytes() const {
    size_t gramBytes = 0;
    for (const GramIndex &index : grams_)
        gramBytes += index.MemoryBytes();
    return bytes_.capacity() + starts_.capacity() * sizeof(uint32_t) + sizeof singles_ +
           pairs_.capacity() * sizeof(int32_t) + tripleFilter_.capacity() * sizeof(uint64_t) +
           triples_.capacity() * sizeof(triples_[0]) + gramBytes + quads_.MemoryBytes() +
           octets_.MemoryBytes();
}

// --- Scanning ---

TPatternScan::TPatternScan(const TPatternSet &set) : set_(set), seen_(set.Size(), 0) {}

void TPatternScan::Reset() {
    for (int32_t id : found_)
        seen_[static_cast<size_t>(id)] = 0;
    found_.clear();
    carried_ = 0;
}

void TPatternScan::Feed(const unsigned char *data, size_t length) {
    if (length == 0 || set_.Size() == 0)
        return;
    // An occurrence that ends in the new bytes either starts in the carried
    // tail, and then lies wholly in the seam of the tail and the first new
    // bytes, or lies wholly in the new bytes.
    if (carried_ > 0) {
        const size_t head = std::min(length, set_.MaxLength() - 1);
        seam_.resize(carried_ + head);
        std::memcpy(seam_.data() + carried_, data, head);
        ScanWindow(seam_.data(), seam_.size(), true);
    }
    ScanWindow(data, length, false);
    KeepTail(data, length);
}

// Carries the last MaxLength() - 1 bytes of the stream to the next feed. The
// seam holds the carried bytes and, when the new ones are fewer than that,
// all of them.
void TPatternScan::KeepTail(const unsigned char *data, size_t length) {
    const size_t tail = set_.MaxLength() - 1;
    if (length >= tail) {
        seam_.assign(data + length - tail, data + length);
    } else {
        if (carried_ == 0)
            seam_.assign(data, data + length);
        const size_t keep = std::min(tail, seam_.size());
        seam_.erase(seam_.begin(), seam_.end() - static_cast<std::ptrdiff_t>(keep));
    }
    carried_ = seam_.size();
}

void TPatternScan::ScanWindow(const unsigned char *window, size_t size, bool seam) {
    ScanShort(window, size);
    for (const TPatternSet::GramIndex &index : set_.grams_)
        ScanGrams(index, window, size, seam ? 1 : index.Stride);
    ScanAtoms(set_.quads_, window, size);
    ScanAtoms(set_.octets_, window, size);
}

void TPatternScan::Mark(int32_t id) {
    seen_[static_cast<size_t>(id)] = 1;
    found_.push_back(id);
}

void TPatternScan::VerifyAt(int32_t id, size_t start, const unsigned char *window, size_t size) {
    if (seen_[static_cast<size_t>(id)])
        return;
    const size_t length = set_.Length(id);
    if (start + length <= size && std::memcmp(window + start, set_.Bytes(id), length) == 0)
        Mark(id);
}

void TPatternScan::ScanShort(const unsigned char *window, size_t size) {
    if (set_.hasSingles_) {
        for (size_t i = 0; i < size; ++i) {
            const int32_t id = set_.singles_[window[i]];
            if (id >= 0 && !seen_[static_cast<size_t>(id)])
                Mark(id);
        }
    }
    if (!set_.pairs_.empty()) {
        for (size_t i = 0; i + 2 <= size; ++i) {
            const int32_t id = set_.pairs_[window[i] | window[i + 1] << 8];
            if (id >= 0 && !seen_[static_cast<size_t>(id)])
                Mark(id);
        }
    }
    if (!set_.triples_.empty()) {
        for (size_t i = 0; i + 3 <= size; ++i) {
            const uint32_t key = LoadTriple(window + i);
            if (!TestBit(set_.tripleFilter_, key))
                continue;
            const auto hit = std::lower_bound(set_.triples_.begin(), set_.triples_.end(),
                                              std::make_pair(key, INT32_MIN));
            if (hit != set_.triples_.end() && hit->first == key && !seen_[static_cast<size_t>(hit->second)])
                Mark(hit->second);
        }
    }
}

// Every pattern of the index holds one of its grams at a multiple of the
// stride wherever it lies wholly in the window, so testing those positions
// finds it; a step of one (the seam) tests every position.
void TPatternScan::ScanGrams(const TPatternSet::GramIndex &index, const unsigned char *window, size_t size,
                             size_t step) {
    if (index.Empty() || size < kGramWidth)
        return;
    const uint8_t *bitmap = index.Bitmap.data();
    const unsigned shift = 32 - index.BitmapBits; // BitmapBits is never 0
    const size_t last = size - kGramWidth;
    for (size_t at = 0; at <= last; at += step) {
        const uint32_t gram = Load32(window + at);
        const uint32_t hash = GramHash(gram);
        const uint32_t bit = hash >> shift;
        if ((bitmap[bit >> 3] >> (bit & 7)) & 1)
            LookUpGram(index, gram, hash, at, window, size);
    }
}

void TPatternScan::LookUpGram(const TPatternSet::GramIndex &index, uint32_t gram, uint32_t hash, size_t at,
                              const unsigned char *window, size_t size) {
    const TPatternSet::AtomSlot *slots = index.Slots.data();
    const uint32_t slotMask = static_cast<uint32_t>(index.Slots.size() - 1);
    for (uint32_t slot = TopBits(hash, index.SlotBits); slots[slot].Id >= 0; slot = (slot + 1) & slotMask) {
        const TPatternSet::AtomSlot &entry = slots[slot];
        if (entry.Low == gram && at >= entry.Offset)
            VerifyAt(entry.Id, at - entry.Offset, window, size);
    }
}

// Positions are taken in batches: first every hash of the batch and a
// prefetch of its filter block, then the tests, so that the filter's cache
// misses overlap rather than follow one another.
void TPatternScan::ScanAtoms(const TPatternSet::AtomIndex &index, const unsigned char *window, size_t size) {
    const size_t width = index.Width;
    if (index.Empty() || size < width)
        return;
    const unsigned blockShift = 32 - index.BlockBits; // BlockBits is never 0
    const uint32_t *filter = index.Filter.data();
    const size_t positions = size - width + 1;
    uint32_t hashes[kBatch];
    for (size_t batch = 0; batch < positions; batch += kBatch) {
        const size_t count = std::min(kBatch, positions - batch);
        for (size_t k = 0; k < count; ++k) {
            const AtomValue atom = LoadAtom(window + batch + k, width);
            hashes[k] = AtomHash(atom.Low, atom.High);
            __builtin_prefetch(filter + (hashes[k] >> blockShift));
        }
        for (size_t k = 0; k < count; ++k) {
            const uint32_t mask = FilterMask(hashes[k]);
            if ((filter[hashes[k] >> blockShift] & mask) == mask)
                LookUpAtom(index, hashes[k], batch + k, window, size);
        }
    }
}

void TPatternScan::LookUpAtom(const TPatternSet::AtomIndex &index, uint32_t hash, size_t at,
                              const unsigned char *window, size_t size) {
    const AtomValue atom = LoadAtom(window + at, index.Width);
    const TPatternSet::AtomSlot *slots = index.Slots.data();
    const uint32_t slotMask = static_cast<uint32_t>(index.Slots.size() - 1);
    for (uint32_t slot = TopBits(hash, index.SlotBits); slots[slot].Id >= 0; slot = (slot + 1) & slotMask) {
        const TPatternSet::AtomSlot &entry = slots[slot];
        if (entry.Low == atom.Low && entry.High == atom.High && at >= entry.Offset)
            VerifyAt(entry.Id, at - entry.Offset, window, size);
    }
}

} // namespace kernel
