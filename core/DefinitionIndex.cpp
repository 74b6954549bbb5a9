#include "DefinitionIndex.h"

#include "Fingerprint.h"
#include "HexPattern.h"
#include "OffsetSignature.h"

#include "IntegerText.h"

#include <algorithm>
#include <limits>

namespace scanner {

namespace {

constexpr int32_t kNoBound = std::numeric_limits<int32_t>::max();

// The four bytes (first byte lowest) whose offset signature text is exactly
// `signature`; false when no four bytes give that text.
bool ParseOffsetSignature(std::string_view signature, uint32_t &bytes) {
    unsigned char values[4];
    if (!kernel::ParseOffsetSignatureText(signature, values))
        return false;
    bytes = 0;
    for (int k = 3; k >= 0; --k)
        bytes = bytes << 8 | values[k];
    return true;
}

bool ByPositionThenBytes(uint32_t position, uint32_t bytes, uint32_t otherPosition,
                         uint32_t otherBytes) {
    return position != otherPosition ? position < otherPosition : bytes < otherBytes;
}

} // namespace

int32_t ReadRecordCount(const uint8_t *table) {
    const auto count = brenvald::ParseInteger(brenvald::ReadTableRecordCount(table));
    if (!count || *count < 0)
        return 0;
    return std::min<int32_t>(*count, static_cast<int32_t>(brenvald::kSlotCount));
}

bool IsUnusedOffsetSignature(char kind, std::string_view offset) {
    return kind == brenvald::kKindOffsetSignature && !brenvald::ParseInteger(offset);
}

// --- One read of a file ---

class TDefinitionIndex::TContentPass {
public:
    explicit TContentPass(const TDefinitionIndex &index)
        : index_(index), scan_(index.patterns_), bytes_(index.offsetPositions_.size(), 0) {}

    void Start() {
        scan_.Reset();
        std::fill(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(touched_), 0);
        touched_ = 0;
        firstPending_ = 0;
        total_ = 0;
    }

    void Feed(const unsigned char *data, size_t length) {
        scan_.Feed(data, length);
        CaptureOffsets(data, length);
        total_ += length;
    }

    // The probe slots that can match, in table order.
    std::vector<int32_t> Candidates() const {
        std::vector<int32_t> candidates;
        for (int32_t id : scan_.Found())
            for (uint32_t k = index_.hexStarts_[static_cast<size_t>(id)];
                 k < index_.hexStarts_[static_cast<size_t>(id) + 1]; ++k)
                candidates.push_back(index_.hexSlots_[k]);
        AddOffsetCandidates(candidates);
        std::sort(candidates.begin(), candidates.end());
        return candidates;
    }

private:
    // Keeps the bytes of this chunk that fall on a four-byte window of a
    // kind "2" position.
    void CaptureOffsets(const unsigned char *data, size_t length) {
        const std::vector<uint32_t> &positions = index_.offsetPositions_;
        const uint64_t end = total_ + length;
        size_t k = firstPending_;
        for (; k < positions.size() && positions[k] < end; ++k) {
            for (uint64_t at = std::max<uint64_t>(positions[k], total_);
                 at < std::min<uint64_t>(positions[k] + uint64_t{4}, end); ++at)
                bytes_[k] |= static_cast<uint32_t>(data[at - total_]) << (8 * (at - positions[k]));
        }
        touched_ = std::max(touched_, k);
        while (firstPending_ < positions.size() && positions[firstPending_] + uint64_t{4} <= end)
            ++firstPending_;
    }

    void AddOffsetCandidates(std::vector<int32_t> &candidates) const {
        const std::vector<OffsetEntry> &entries = index_.offsets_;
        auto from = entries.begin();
        for (size_t k = 0; k < index_.offsetPositions_.size() && index_.offsetPositions_[k] < total_; ++k) {
            const uint32_t position = index_.offsetPositions_[k];
            const auto match = std::equal_range(
                from, entries.end(), OffsetEntry{position, bytes_[k], 0},
                [](const OffsetEntry &a, const OffsetEntry &b) {
                    return ByPositionThenBytes(a.Position, a.Expected, b.Position, b.Expected);
                });
            for (auto entry = match.first; entry != match.second; ++entry)
                candidates.push_back(entry->Probe);
            from = match.second;
        }
        // Past the end of the file the four bytes read as zeros.
        const auto zeros = std::lower_bound(
            index_.zeroOffsets_.begin(), index_.zeroOffsets_.end(), total_,
            [](const OffsetEntry &entry, uint64_t position) { return entry.Position < position; });
        for (auto entry = zeros; entry != index_.zeroOffsets_.end(); ++entry)
            candidates.push_back(entry->Probe);
    }

    const TDefinitionIndex &index_;
    kernel::TPatternScan scan_;
    // The four bytes at each distinct position, first byte lowest.
    std::vector<uint32_t> bytes_;
    size_t touched_ = 0;
    size_t firstPending_ = 0;
    uint64_t total_ = 0;
};

// --- Building ---

namespace {

struct KindCounts {
    size_t Fingerprints = 0;
    size_t HexSignatures = 0;
    // At most the bytes of their patterns: half the length of their texts.
    size_t HexPatternBytes = 0;
    size_t OffsetSignatures = 0;
};

// The records of each kind, so that the tables are sized once rather than
// grown and rehashed while a million records go in.
KindCounts CountKinds(const uint8_t *table, int32_t recordCount) {
    KindCounts counts;
    for (int32_t index = 0; index < recordCount; ++index) {
        const uint8_t *slot = table + brenvald::SlotPosition(static_cast<size_t>(index));
        const char kind = static_cast<char>(slot[brenvald::kSlotKindOffset]);
        counts.Fingerprints += kind == brenvald::kKindMd5Fingerprint;
        if (kind == brenvald::kKindHexSignature) {
            ++counts.HexSignatures;
            counts.HexPatternBytes += brenvald::ReadCountedText(slot + brenvald::kSignatureOffset,
                                                                brenvald::kSignatureCapacity)
                                          .size() /
                                      2;
        }
        counts.OffsetSignatures += kind == brenvald::kKindOffsetSignature;
    }
    return counts;
}

// Adds the hex patterns to the set one record behind: a pattern's slot in the
// set's table of equal patterns is fetched while the next record is read, as
// that table is far larger than the cache. The ids land in patternOfProbe.
class TPatternFeed {
public:
    TPatternFeed(kernel::TPatternSet &set, std::vector<int32_t> &patternOfProbe)
        : set_(set), patternOfProbe_(patternOfProbe) {}

    void Take(std::string_view signature, size_t probe) {
        kernel::HexPatternBytes(signature, next_);
        const uint32_t hash = kernel::TPatternSet::HashOf(next_);
        set_.FetchSlotOf(hash);
        Flush();
        pending_.swap(next_);
        pendingHash_ = hash;
        pendingProbe_ = probe;
        hasPending_ = true;
    }
    void Flush() {
        if (hasPending_)
            patternOfProbe_[pendingProbe_] = set_.Add(pending_, pendingHash_);
        hasPending_ = false;
    }

private:
    kernel::TPatternSet &set_;
    std::vector<int32_t> &patternOfProbe_;
    std::string pending_, next_;
    uint32_t pendingHash_ = 0;
    size_t pendingProbe_ = 0;
    bool hasPending_ = false;
};

} // namespace

TDefinitionIndex::TDefinitionIndex() = default;
TDefinitionIndex::~TDefinitionIndex() = default;

void TDefinitionIndex::Build(const uint8_t *table, int32_t recordCount) {
    pass_.reset();
    fingerprintSlots_.Clear();
    fingerprintSizes_.clear();
    fingerprintOfAnyForm_ = false;
    probeSlots_.clear();
    patterns_ = kernel::TPatternSet();
    const KindCounts counts = CountKinds(table, recordCount);
    fingerprintSlots_.Reserve(counts.Fingerprints);
    probeSlots_.reserve(counts.HexSignatures + counts.OffsetSignatures);
    patterns_.Reserve(counts.HexSignatures, counts.HexPatternBytes);
    std::vector<int32_t> patternOfProbe;
    patternOfProbe.reserve(counts.HexSignatures + counts.OffsetSignatures);
    TPatternFeed feed(patterns_, patternOfProbe);
    for (int32_t index = 0; index < recordCount; ++index) {
        const DefinitionSlot slot = brenvald::ReadTableSlot(table, static_cast<size_t>(index));
        if (slot.Kind == brenvald::kKindMd5Fingerprint) {
            // Insert keeps the first, lowest slot of a signature.
            fingerprintSlots_.Insert(slot.Signature, index);
            NoteFingerprintSize(slot.Signature);
        } else if (slot.Kind == brenvald::kKindHexSignature) {
            probeSlots_.push_back({index, slot.Kind, slot.Signature, 0});
            patternOfProbe.push_back(-1);
            feed.Take(slot.Signature, patternOfProbe.size() - 1);
        } else if (slot.Kind == brenvald::kKindOffsetSignature) {
            if (auto offset = brenvald::ParseInteger(slot.Offset)) {
                probeSlots_.push_back({index, slot.Kind, slot.Signature, *offset});
                patternOfProbe.push_back(-1);
            }
        }
    }
    feed.Flush();
    std::sort(fingerprintSizes_.begin(), fingerprintSizes_.end());
    fingerprintSizes_.erase(std::unique(fingerprintSizes_.begin(), fingerprintSizes_.end()),
                            fingerprintSizes_.end());
    patterns_.Seal();
    BuildHexSlots(patternOfProbe);
    BuildOffsets();
    pass_ = std::make_unique<TContentPass>(*this);
}

void TDefinitionIndex::NoteFingerprintSize(std::string_view signature) {
    if (const auto size = kernel::FingerprintSignatureSize(signature))
        fingerprintSizes_.push_back(*size);
    else
        fingerprintOfAnyForm_ = true;
}

void TDefinitionIndex::BuildHexSlots(const std::vector<int32_t> &patternOfProbe) {
    hexStarts_.assign(patterns_.Size() + 1, 0);
    for (int32_t id : patternOfProbe)
        if (id >= 0)
            ++hexStarts_[static_cast<size_t>(id) + 1];
    for (size_t id = 1; id < hexStarts_.size(); ++id)
        hexStarts_[id] += hexStarts_[id - 1];
    hexSlots_.assign(hexStarts_.back(), 0);
    std::vector<uint32_t> next(hexStarts_.begin(), hexStarts_.end() - 1);
    for (size_t probe = 0; probe < patternOfProbe.size(); ++probe)
        if (patternOfProbe[probe] >= 0)
            hexSlots_[next[static_cast<size_t>(patternOfProbe[probe])]++] = static_cast<int32_t>(probe);
}

void TDefinitionIndex::BuildOffsets() {
    offsets_.clear();
    offsetPositions_.clear();
    zeroOffsets_.clear();
    for (size_t probe = 0; probe < probeSlots_.size(); ++probe) {
        const ProbeSlot &slot = probeSlots_[probe];
        uint32_t expected = 0;
        if (slot.Kind != brenvald::kKindOffsetSignature || !ParseOffsetSignature(slot.Signature, expected))
            continue;
        // A negative offset cannot be set: the engine reads from 0.
        const uint32_t position = static_cast<uint32_t>(std::max<int32_t>(slot.Offset, 0));
        offsets_.push_back({position, expected, static_cast<int32_t>(probe)});
    }
    std::sort(offsets_.begin(), offsets_.end(), [](const OffsetEntry &a, const OffsetEntry &b) {
        return ByPositionThenBytes(a.Position, a.Expected, b.Position, b.Expected);
    });
    for (const OffsetEntry &entry : offsets_) {
        if (offsetPositions_.empty() || offsetPositions_.back() != entry.Position)
            offsetPositions_.push_back(entry.Position);
        if (entry.Expected == 0)
            zeroOffsets_.push_back(entry);
    }
}

size_t TDefinitionIndex::MatcherBytes() const {
    return patterns_.MemoryBytes() + probeSlots_.capacity() * sizeof(ProbeSlot) +
           (hexStarts_.capacity() + offsetPositions_.capacity()) * sizeof(uint32_t) +
           hexSlots_.capacity() * sizeof(int32_t) +
           (offsets_.capacity() + zeroOffsets_.capacity()) * sizeof(OffsetEntry);
}

// --- The lookup ---

int32_t TDefinitionIndex::FingerprintBound(std::string_view fingerprint) const {
    const int32_t found = fingerprintSlots_.Find(fingerprint);
    return found == kernel::TTextSlotMap::kAbsent ? kNoBound : found;
}

bool TDefinitionIndex::Ask(const ProbeSlot &slot, ISlotProbe &probe) const {
    const std::string signature(slot.Signature);
    return slot.Kind == brenvald::kKindHexSignature ? probe.HexMatches(signature)
                                                    : probe.OffsetMatches(signature, slot.Offset);
}

// False when no slot of kind "1" or "2" lies before the bound, or none that
// any bytes could match (empty patterns, signatures no four bytes give): the
// engine would say no to each.
bool TDefinitionIndex::CanMatchBelow(int32_t bound) const {
    return !probeSlots_.empty() && probeSlots_.front().Index < bound && WantsContent();
}

bool TDefinitionIndex::WantsContent() const { return patterns_.Size() != 0 || !offsets_.empty(); }

// The pass is scratch of one file's check; the check runs on one thread.
void TDefinitionIndex::StartContent() const { pass_->Start(); }

void TDefinitionIndex::FeedContent(const unsigned char *data, size_t length) const {
    pass_->Feed(data, length);
}

TSlotMatch TDefinitionIndex::FirstMatch(std::string_view fingerprint, ISlotProbe &probe) const {
    const int32_t bound = FingerprintBound(fingerprint);
    if (!CanMatchBelow(bound))
        return {bound == kNoBound ? -1 : bound, false};
    StartContent();
    if (!probe.ReadContent([this](const unsigned char *data, size_t length) { FeedContent(data, length); }))
        return AskEverySlot(bound, probe);
    return AskCandidates(pass_->Candidates(), bound, probe);
}

TSlotMatch TDefinitionIndex::FirstMatchOfContent(std::string_view fingerprint, ISlotProbe &probe) const {
    const int32_t bound = FingerprintBound(fingerprint);
    if (!CanMatchBelow(bound))
        return {bound == kNoBound ? -1 : bound, false};
    return AskCandidates(pass_->Candidates(), bound, probe);
}

TSlotMatch TDefinitionIndex::FirstMatchOfContentAlone(std::string_view fingerprint) const {
    const int32_t bound = FingerprintBound(fingerprint);
    TSlotMatch match{bound == kNoBound ? -1 : bound, false};
    if (!CanMatchBelow(bound))
        return match;
    const std::vector<int32_t> candidates = pass_->Candidates();
    if (!candidates.empty() && probeSlots_[static_cast<size_t>(candidates.front())].Index < bound)
        match.Slot = probeSlots_[static_cast<size_t>(candidates.front())].Index;
    return match;
}

bool TDefinitionIndex::FingerprintMayMatch(std::string_view sizeText) const {
    if (fingerprintOfAnyForm_)
        return true;
    const auto size = kernel::ParseSizeText(sizeText);
    return size && std::binary_search(fingerprintSizes_.begin(), fingerprintSizes_.end(), *size);
}

TSlotMatch TDefinitionIndex::AskEverySlot(int32_t bound, ISlotProbe &probe) const {
    for (const ProbeSlot &slot : probeSlots_) {
        if (slot.Index >= bound)
            break;
        if (Ask(slot, probe))
            return {slot.Index, false};
    }
    return {bound == kNoBound ? -1 : bound, false};
}

TSlotMatch TDefinitionIndex::AskCandidates(const std::vector<int32_t> &candidates, int32_t bound,
                                           ISlotProbe &probe) const {
    TSlotMatch match;
    match.Slot = bound == kNoBound ? -1 : bound;
    for (int32_t candidate : candidates) {
        const ProbeSlot &slot = probeSlots_[static_cast<size_t>(candidate)];
        if (slot.Index >= bound)
            break;
        if (Ask(slot, probe)) {
            match.Slot = slot.Index;
            return match;
        }
        // The bytes held what this slot looks for; a no because the engine
        // could not open the file is no answer at all.
        if (!match.Unconfirmed && probe.EngineLockedOut(slot.Kind))
            match.Unconfirmed = true;
    }
    return match;
}

} // namespace scanner
