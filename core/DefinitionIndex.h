// Finds the first slot of a DefinitionTable that matches a file, in table
// order, without asking the engine about every slot. Kind "0" signatures go
// into a hash map (lowest slot per signature). For kinds "1" and "2" the file
// is read once: a pattern set finds every kind "1" pattern that occurs, a
// table of offsets gives the four bytes that each kind "2" slot compares,
// and only the slots that can match (the candidates) go to the engine, in
// table order, below the kind "0" slot found. The engine's answer decides,
// so the slot reported is that of a walk from slot 0 asking about each slot.
#pragma once

#include "PatternSet.h"
#include "TextSlotMap.h"

#include <brenvald/DefinitionTable.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scanner {

// Takes a file's bytes in order, a chunk at a time.
using ContentConsumer = std::function<void(const unsigned char *, size_t)>;

using DefinitionSlot = brenvald::DefinitionRecordView;

// The table's RecordCount as a number of slots: 0 when it is not an integer
// or negative, at most the table's slot count.
int32_t ReadRecordCount(const uint8_t *table);

// A kind "2" definition whose Offset is not an integer: the check passes
// over it, so it can never match.
bool IsUnusedOffsetSignature(char kind, std::string_view offset);

// How much the check's own read of a file asks for at a time.
constexpr size_t kContentChunkSize = 1 << 20;

// One file, as the check sees it: the engine's answers for the slots of
// kinds "1" and "2", and the check's own read of the file's bytes.
class ISlotProbe {
public:
    virtual ~ISlotProbe() = default;
    virtual bool HexMatches(const std::string &signature) = 0;
    virtual bool OffsetMatches(const std::string &signature, int32_t offset) = 0;
    // All the file's bytes in order, in chunks; false when the file could
    // not be opened or read (what was delivered then counts for nothing).
    virtual bool ReadContent(const ContentConsumer &consume) = 0;
    // After the engine said no for a slot of this kind: true when it could
    // not have opened the file at all.
    virtual bool EngineLockedOut(char kind) = 0;
};

struct TSlotMatch {
    // The lowest matching slot, -1 when none matches.
    int32_t Slot = -1;
    // The file's bytes held a candidate that the engine refused to look at
    // (it could not open the file): the file may not pass as clean.
    bool Unconfirmed = false;
};

class TDefinitionIndex {
public:
    TDefinitionIndex();
    ~TDefinitionIndex();
    TDefinitionIndex(const TDefinitionIndex &) = delete;
    TDefinitionIndex &operator=(const TDefinitionIndex &) = delete;

    // Indexes slots 0 to recordCount - 1 of the table, which must stay
    // unchanged while the index is used.
    void Build(const uint8_t *table, int32_t recordCount);
    // Reads the file through the probe when some slot below the fingerprint's
    // can match, then asks the engine about the candidates; when that read
    // fails, about every slot.
    TSlotMatch FirstMatch(std::string_view fingerprint, ISlotProbe &probe) const;
    // The same for a file whose bytes the caller has read: StartContent,
    // every byte in order through FeedContent, then FirstMatchOfContent.
    // The read is needed only when WantsContent is true (some bytes can
    // match a slot of kind "1" or "2").
    bool WantsContent() const;
    void StartContent() const;
    void FeedContent(const unsigned char *data, size_t length) const;
    TSlotMatch FirstMatchOfContent(std::string_view fingerprint, ISlotProbe &probe) const;
    // The same when no engine can be asked, for a file that the check read
    // through a path the engine cannot take. The candidates are exactly the
    // slots the engine would confirm: the pattern set verifies every pattern
    // in full, the offset table compares all four bytes (zeros past the end,
    // as the engine reads them); so the lowest one below the fingerprint's
    // slot is the walk's answer.
    TSlotMatch FirstMatchOfContentAlone(std::string_view fingerprint) const;
    // Whether a file of this size text can match a kind "0" slot: its size
    // text is one that some signature "32 hex digits:size text" names, or
    // some kind "0" signature has another form. When false, no kind "0" slot
    // matches whatever the file holds, so its fingerprint is not needed.
    bool FingerprintMayMatch(std::string_view sizeText) const;
    // Bytes held by the pattern set and the offset table.
    size_t MatcherBytes() const;

private:
    // A slot of kind "1" or "2"; a kind "2" slot whose Offset is not an
    // integer can never match and is left out.
    struct ProbeSlot {
        int32_t Index;
        char Kind;
        std::string_view Signature;
        int32_t Offset;
    };
    // A kind "2" slot whose signature the four bytes at Position can give.
    struct OffsetEntry {
        uint32_t Position;
        uint32_t Expected; // the four bytes, first byte lowest
        int32_t Probe;     // index into probeSlots_
    };
    // What one read of a file found: candidates, as indexes into probeSlots_.
    class TContentPass;

    int32_t FingerprintBound(std::string_view fingerprint) const;
    bool CanMatchBelow(int32_t bound) const;
    bool Ask(const ProbeSlot &slot, ISlotProbe &probe) const;
    TSlotMatch AskEverySlot(int32_t bound, ISlotProbe &probe) const;
    TSlotMatch AskCandidates(const std::vector<int32_t> &candidates, int32_t bound,
                             ISlotProbe &probe) const;
    void NoteFingerprintSize(std::string_view signature);
    void BuildHexSlots(const std::vector<int32_t> &patternOfProbe);
    void BuildOffsets();

    kernel::TTextSlotMap fingerprintSlots_;
    // The sizes (low 32 bits) that kind "0" signatures name, sorted, each
    // once; and whether some kind "0" signature is of no such form.
    std::vector<uint32_t> fingerprintSizes_;
    bool fingerprintOfAnyForm_ = false;
    std::vector<ProbeSlot> probeSlots_;
    kernel::TPatternSet patterns_;
    // The probe slots of each pattern id: hexSlots_[hexStarts_[id], hexStarts_[id + 1]).
    std::vector<uint32_t> hexStarts_;
    std::vector<int32_t> hexSlots_;
    // Sorted by position, then expected bytes; the distinct positions; and
    // the entries that expect four zero bytes, sorted by position (they match
    // wherever the position lies at or past the end of the file).
    std::vector<OffsetEntry> offsets_;
    std::vector<uint32_t> offsetPositions_;
    std::vector<OffsetEntry> zeroOffsets_;
    // Scratch of one file's pass, kept between files.
    std::unique_ptr<TContentPass> pass_;
};

} // namespace scanner
