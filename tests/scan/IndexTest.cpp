// The indexed lookup when the file cannot be read by the check itself, against
// a slot-by-slot walk of the same table: the same slot found, the same engine
// questions asked in the same order.
#include "DefinitionIndex.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace brenvald;

namespace {

// A table of slotCount slots (the tail of a full table is never read).
std::vector<uint8_t> MakeTable(size_t slotCount) {
    std::vector<uint8_t> table(kHeaderSize + kRecordSize * slotCount, 0);
    WriteTableRecordCount(table.data(), std::to_string(slotCount));
    return table;
}

void WriteSlot(std::vector<uint8_t> &table, size_t index, const std::string &name,
               const std::string &signature, char kind, const std::string &offset) {
    WriteTableSlot(table.data(), index, name, signature, kind, offset);
}

// Answers from fixed sets and records every question.
class TRecordingProbe : public scanner::ISlotProbe {
public:
    TRecordingProbe(const std::set<std::string> &hex, const std::set<std::pair<std::string, int32_t>> &offsets)
        : hex_(hex), offsets_(offsets) {}
    bool HexMatches(const std::string &signature) override {
        Questions.push_back("hex " + signature);
        return hex_.count(signature) > 0;
    }
    bool OffsetMatches(const std::string &signature, int32_t offset) override {
        Questions.push_back("offset " + signature + " @" + std::to_string(offset));
        return offsets_.count({signature, offset}) > 0;
    }
    // No bytes to read: the index asks about every slot, as the walk does.
    bool ReadContent(const scanner::ContentConsumer &) override { return false; }
    bool EngineLockedOut(char) override { return false; }
    std::vector<std::string> Questions;

private:
    const std::set<std::string> &hex_;
    const std::set<std::pair<std::string, int32_t>> &offsets_;
};

// The walk from slot 0, each slot tried in turn; a kind "2" slot whose Offset
// is no integer never matches.
int32_t WalkEverySlot(const uint8_t *table, std::string_view fingerprint,
                      scanner::ISlotProbe &probe) {
    const int32_t count = *ParseInteger(ReadTableRecordCount(table));
    for (int32_t i = 0; i < count; ++i) {
        const DefinitionRecordView slot = ReadTableSlot(table, static_cast<size_t>(i));
        bool matches = false;
        if (slot.Kind == '0') {
            matches = slot.Signature == fingerprint;
        } else if (slot.Kind == '1') {
            matches = probe.HexMatches(std::string(slot.Signature));
        } else if (slot.Kind == '2') {
            const auto offset = ParseInteger(slot.Offset);
            matches = offset && probe.OffsetMatches(std::string(slot.Signature), *offset);
        }
        if (matches)
            return i;
    }
    return -1;
}

// A text that reads both as a hex pattern of two bytes and as an offset
// signature, so that no slot is one the engine could never match.
std::string Signature(int number) { return "1-2-3-" + std::to_string(number); }

TEST(DefinitionIndex, FindsWhatTheSlotBySlotWalkFinds) {
    std::mt19937 random(20261208);
    const char kinds[] = {'0', '0', '0', '1', '2', '3', '\0'};
    const char *offsets[] = {"0", "12", " 7", "$10", "x", "", "-4", "99999999999", "0x1F"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int matchesSeen = 0, missesSeen = 0;
    for (int round = 0; round < 150; ++round) {
        const size_t slotCount = 1 + static_cast<size_t>(pick(60));
        std::vector<uint8_t> table = MakeTable(slotCount);
        for (size_t i = 0; i < slotCount; ++i)
            WriteSlot(table, i, "Name" + std::to_string(i), Signature(pick(8)),
                      kinds[pick(7)], offsets[pick(9)]);
        scanner::TDefinitionIndex index;
        index.Build(table.data(), static_cast<int32_t>(slotCount));

        std::set<std::string> hex;
        std::set<std::pair<std::string, int32_t>> offsetHits;
        for (int j = 0; j < 2; ++j) {
            hex.insert(Signature(pick(8)));
            offsetHits.insert({Signature(pick(8)), *ParseInteger(offsets[pick(4)])});
        }
        for (int f = 0; f < 9; ++f) {
            const std::string fingerprint = f == 8 ? "" : Signature(f);
            TRecordingProbe expectedProbe(hex, offsetHits), indexProbe(hex, offsetHits);
            const int32_t expected = WalkEverySlot(table.data(), fingerprint, expectedProbe);
            EXPECT_EQ(index.FirstMatch(fingerprint, indexProbe).Slot, expected)
                << "round " << round << " fingerprint " << fingerprint;
            EXPECT_EQ(indexProbe.Questions, expectedProbe.Questions) << "round " << round;
            (expected >= 0 ? matchesSeen : missesSeen)++;
        }
    }
    // The cases exercise both outcomes.
    EXPECT_GT(matchesSeen, 100);
    EXPECT_GT(missesSeen, 100);
}

TEST(DefinitionIndex, RecordCountIsKeptWithinTheTable) {
    std::vector<uint8_t> table = MakeTable(1);
    const std::pair<const char *, int32_t> cases[] = {
        {"0", 0}, {"17", 17}, {"-3", 0}, {"lots", 0}, {"", 0}, {"1000001", 1000001}, {"2000000", 1000001}};
    for (const auto &test : cases) {
        WriteTableRecordCount(table.data(), test.first);
        EXPECT_EQ(scanner::ReadRecordCount(table.data()), test.second) << test.first;
    }
}

} // namespace
