// Reads and writes at the very edge of their buffers. Each buffer here is a
// heap block of exactly the size in use, so AddressSanitizer stops the run
// at the first byte touched beyond it, which a run under Wine cannot see.
#include "TableAppend.h"
#include "PatternScan.h"
#include "SignatureSearch.h"
#include "Streams.h"
#include "BaseImage.h"

#include <brenvald/DefinitionTable.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace brenvald;

namespace {

// Base content of a header and count records whose every length byte is
// 0xFF, far beyond each field's capacity.
std::string OverlongBase(size_t records) {
    std::string content(kHeaderSize + records * kRecordSize, 'A');
    auto *bytes = reinterpret_cast<uint8_t *>(content.data());
    for (size_t field : {kHeaderText1Offset, kHeaderText2Offset})
        bytes[field] = 0xFF;
    WriteCountedText(bytes + kRecordCountOffset, kRecordCountCapacity,
                     std::to_string(static_cast<int64_t>(records) - 1));
    for (size_t i = 0; i < records; ++i) {
        uint8_t *record = bytes + kHeaderSize + i * kRecordSize;
        for (size_t field : {kNameOffset, kSignatureOffset, kBaseOffsetOffset})
            record[field] = 0xFF;
    }
    return content;
}

void Append(const std::string &content, uint8_t *table) {
    kernel::TMemoryStream stream;
    stream.WriteBuffer(content.data(), content.size());
    stream.SetPosition(0);
    kernel::AppendBase(stream, table);
}

// The whole table, once per program; its last byte is the block's last byte.
uint8_t *WholeTable(const std::string &count) {
    static std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]());
    WriteCountedText(table.get() + kRecordCountOffset, kRecordCountCapacity, count);
    return table.get();
}

} // namespace

TEST(Bounds, OverlongLengthBytesStayInsideTheirFields) {
    // A table of exactly one slot.
    std::vector<uint8_t> table(kHeaderSize + kRecordSize, 0xFF);
    DefinitionRecordView slot = ReadTableSlot(table.data(), 0);
    EXPECT_EQ(slot.Name.size(), kNameCapacity);
    EXPECT_EQ(slot.Signature.size(), kSignatureCapacity);
    EXPECT_EQ(slot.Offset.size(), kOffsetCapacity);
    EXPECT_EQ(ReadTableRecordCount(table.data()).size(), kRecordCountCapacity);

    bvxtool::DecodedBase decoded = bvxtool::DecodeBase(OverlongBase(2));
    ASSERT_EQ(decoded.list.definitions.size(), 2u);
    EXPECT_EQ(decoded.list.definitions[1].name.size(), kNameCapacity);
    EXPECT_FALSE(decoded.warnings.empty());
}

TEST(Bounds, AppendsAtTheLastSlotsStayInsideTheTable) {
    const std::string twoRecords = OverlongBase(2);
    struct Case {
        const char *countBefore;
        const char *countAfter;
        bool rangeError;
    };
    const Case cases[] = {
        {"999999", "1000001", false}, // fills the last two slots
        {"1000000", "1000001", true}, // the last slot, then one beyond
        {"1000001", "1000001", true}, // nothing fits
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.countBefore);
        uint8_t *table = WholeTable(test.countBefore);
        if (test.rangeError)
            EXPECT_THROW(Append(twoRecords, table), kernel::ERangeError);
        else
            EXPECT_NO_THROW(Append(twoRecords, table));
        EXPECT_EQ(ReadTableRecordCount(table), test.countAfter);
    }
    const uint8_t *last = WholeTable("0") + SlotPosition(kMaxDefinitionIndex);
    EXPECT_EQ(last[kSlotKindOffset], 'A');
    EXPECT_EQ(last[kNameOffset], 0xFF);
}

TEST(Bounds, BufferScansReadNothingPastTheData) {
    // Every data length up to a few SSE2 blocks, with the pattern as the
    // data's last bytes and once more with its last byte off by one.
    for (size_t length = 1; length <= 70; ++length) {
        for (size_t patternSize = 1; patternSize <= std::min<size_t>(length, 20); ++patternSize) {
            std::unique_ptr<unsigned char[]> data(new unsigned char[length]);
            for (size_t i = 0; i < length; ++i)
                data[i] = static_cast<unsigned char>('a' + i % 7);
            const std::string tail(reinterpret_cast<const char *>(data.get()) + length - patternSize,
                                   patternSize);
            std::string missing = tail;
            missing.back() = 'z';
            const kernel::SearchPattern found(tail, tail);
            const kernel::SearchPattern absent(missing, missing);
            const int64_t firstPlace = kernel::patternscan::FindPortable(data.get(), length, found);
            SCOPED_TRACE("length " + std::to_string(length) + ", pattern " +
                         std::to_string(patternSize));
            EXPECT_LE(firstPlace, static_cast<int64_t>(length - patternSize));
            EXPECT_GE(firstPlace, 0);
            EXPECT_EQ(kernel::patternscan::FindPortable(data.get(), length, absent), -1);
            if (kernel::patternscan::HasSse2()) {
                EXPECT_EQ(kernel::patternscan::FindSse2(data.get(), length, found), firstPlace);
                EXPECT_EQ(kernel::patternscan::FindSse2(data.get(), length, absent), -1);
            }
            EXPECT_EQ(kernel::FindInBuffer(data.get(), length, found), firstPlace);
        }
    }
}
