#include "PatternSet.h"

#include <algorithm>
#include <cstring>

namespace kernel {

namespace {

constexpr size_t kAtomSize = 4;
constexpr uint32_t kAtomMultiplier = 0x9E3779B1u;
constexpr unsigned kMinFilterBits = 12;
constexpr unsigned kMaxFilterBits = 26;
// Filter bits per atom: about one position in a hundred passes a full filter.
constexpr size_t kFilterBitsPerAtom = 64;

uint64_t ContentHash(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (char byte : bytes)
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    return hash;
}

uint32_t LoadAtom(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t LoadTriple(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16;
}

// How unlikely a byte is to be common in files: zeros, 0xFF fill, blanks and
// the usual padding bytes are everywhere; text less so; other bytes least.
int ByteRarity(unsigned char byte) {
    if (byte == 0x00)
        return 0;
    if (byte == 0xFF || byte == 0x20 || byte == 0x90 || byte == 0xCC)
        return 1;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
        return 3;
    return 4;
}

// Where in the pattern the four bytes of its atom start: the window of the
// rarest and most varied bytes, the first of equals.
uint32_t ChooseAtom(const unsigned char *bytes, size_t length) {
    uint32_t best = 0;
    int bestScore = -1;
    for (size_t start = 0; start + kAtomSize <= length; ++start) {
        int score = 0;
        for (size_t k = 0; k < kAtomSize; ++k) {
            score += 2 * ByteRarity(bytes[start + k]);
            bool repeated = false;
            for (size_t j = 0; j < k; ++j)
                repeated = repeated || bytes[start + j] == bytes[start + k];
            score += repeated ? 0 : 3;
        }
        if (score > bestScore) {
            bestScore = score;
            best = static_cast<uint32_t>(start);
        }
    }
    return best;
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

} // namespace

// --- Building ---

int32_t TPatternSet::FindEqual(std::string_view bytes, uint64_t hash) const {
    if (dedupSlots_.empty())
        return -1;
    const size_t mask = dedupSlots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const int32_t id = dedupSlots_[slot];
        if (id < 0)
            return -1;
        if (hashes_[static_cast<size_t>(id)] == hash && Pattern(id) == bytes)
            return id;
    }
}

void TPatternSet::GrowDedup() {
    std::vector<int32_t> slots(std::max<size_t>(64, dedupSlots_.size() * 2), -1);
    const size_t mask = slots.size() - 1;
    for (size_t id = 0; id < hashes_.size(); ++id) {
        size_t slot = hashes_[id] & mask;
        while (slots[slot] >= 0)
            slot = (slot + 1) & mask;
        slots[slot] = static_cast<int32_t>(id);
    }
    dedupSlots_.swap(slots);
}

int32_t TPatternSet::Add(std::string_view bytes) {
    if (bytes.empty())
        return -1;
    const uint64_t hash = ContentHash(bytes);
    const int32_t existing = FindEqual(bytes, hash);
    if (existing >= 0)
        return existing;
    const int32_t id = static_cast<int32_t>(Size());
    bytes_.append(bytes.data(), bytes.size());
    starts_.push_back(static_cast<uint32_t>(bytes_.size()));
    maxLength_ = std::max(maxLength_, bytes.size());
    hashes_.push_back(hash);
    if (hashes_.size() * 2 > dedupSlots_.size())
        GrowDedup();
    else {
        const size_t mask = dedupSlots_.size() - 1;
        size_t slot = hash & mask;
        while (dedupSlots_[slot] >= 0)
            slot = (slot + 1) & mask;
        dedupSlots_[slot] = id;
    }
    return id;
}

std::string_view TPatternSet::Pattern(int32_t id) const {
    return std::string_view(bytes_.data() + starts_[static_cast<size_t>(id)], Length(id));
}

void TPatternSet::Seal() {
    std::vector<int32_t>().swap(dedupSlots_);
    std::vector<uint64_t>().swap(hashes_);
    bytes_.shrink_to_fit();
    starts_.shrink_to_fit();
    SealShort();
    SealQuads();
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

void TPatternSet::SealQuads() {
    atomOffsets_.assign(Size(), 0);
    std::vector<AtomEntry> entries;
    for (int32_t id = 0; id < static_cast<int32_t>(Size()); ++id) {
        if (Length(id) < kAtomSize)
            continue;
        const uint32_t offset = ChooseAtom(Bytes(id), Length(id));
        atomOffsets_[static_cast<size_t>(id)] = offset;
        entries.push_back({LoadAtom(Bytes(id) + offset), id});
    }
    if (entries.empty())
        return;
    filterBits_ = std::clamp(BitsFor(entries.size() * kFilterBitsPerAtom), kMinFilterBits, kMaxFilterBits);
    bucketBits_ = std::clamp(BitsFor(entries.size()), 1u, filterBits_);
    quadFilter_.assign((size_t{1} << filterBits_) / 64, 0);
    // Counting sort of the entries by bucket.
    bucketStarts_.assign((size_t{1} << bucketBits_) + 1, 0);
    for (const AtomEntry &entry : entries) {
        const uint32_t hash = entry.Atom * kAtomMultiplier;
        SetBit(quadFilter_, hash >> (32 - filterBits_));
        ++bucketStarts_[(hash >> (32 - bucketBits_)) + 1];
    }
    for (size_t bucket = 1; bucket < bucketStarts_.size(); ++bucket)
        bucketStarts_[bucket] += bucketStarts_[bucket - 1];
    atoms_.resize(entries.size());
    std::vector<uint32_t> next(bucketStarts_.begin(), bucketStarts_.end() - 1);
    for (const AtomEntry &entry : entries)
        atoms_[next[(entry.Atom * kAtomMultiplier) >> (32 - bucketBits_)]++] = entry;
}

size_t TPatternSet::MemoryBytes() const {
    return bytes_.capacity() + starts_.capacity() * sizeof(uint32_t) + sizeof singles_ +
           pairs_.capacity() * sizeof(int32_t) + tripleFilter_.capacity() * sizeof(uint64_t) +
           triples_.capacity() * sizeof(triples_[0]) + atomOffsets_.capacity() * sizeof(uint32_t) +
           quadFilter_.capacity() * sizeof(uint64_t) + bucketStarts_.capacity() * sizeof(uint32_t) +
           atoms_.capacity() * sizeof(AtomEntry);
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
    // The window is the carried tail plus the new bytes: every occurrence
    // that ends in the new bytes lies wholly inside it.
    window_.resize(carried_ + length);
    std::memcpy(window_.data() + carried_, data, length);
    const size_t size = window_.size();
    ScanShort(window_.data(), size);
    ScanQuads(window_.data(), size);
    const size_t keep = std::min(set_.MaxLength() - 1, size);
    std::memmove(window_.data(), window_.data() + size - keep, keep);
    window_.resize(keep);
    carried_ = keep;
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

void TPatternScan::ScanQuads(const unsigned char *window, size_t size) {
    if (set_.atoms_.empty() || size < kAtomSize)
        return;
    const unsigned filterShift = 32 - set_.filterBits_;
    const unsigned bucketShift = 32 - set_.bucketBits_;
    const uint64_t *filter = set_.quadFilter_.data();
    for (size_t i = 0; i + kAtomSize <= size; ++i) {
        const uint32_t atom = LoadAtom(window + i);
        const uint32_t hash = atom * kAtomMultiplier;
        const uint32_t bit = hash >> filterShift;
        if (!((filter[bit >> 6] >> (bit & 63)) & 1))
            continue;
        const uint32_t bucket = hash >> bucketShift;
        for (uint32_t e = set_.bucketStarts_[bucket]; e < set_.bucketStarts_[bucket + 1]; ++e) {
            const TPatternSet::AtomEntry &entry = set_.atoms_[e];
            const uint32_t offset = set_.atomOffsets_[static_cast<size_t>(entry.Id)];
            if (entry.Atom == atom && i >= offset)
                VerifyAt(entry.Id, i - offset, window, size);
        }
    }
}

} // namespace kernel
