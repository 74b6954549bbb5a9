// Appending bases to a DefinitionTable, from plain content in memory.
#include "TableAppend.h"

#include "BaseContent.h"
#include "KernelErrors.h"
#include "Streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace brenvald;
using testsupport::BaseContent;
using testsupport::BaseRecord;
using testsupport::SampleRecord;
using testsupport::SampleRecords;

namespace {

// A whole table, allocated once per program: a test starts from a table with
// only RecordCount set, like the scanner's, and every other byte 0xA5 so that
// untouched bytes show.
uint8_t *FreshTable(const std::string &count = "0") {
    static std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]);
    std::memset(table.get(), 0xA5, kHeaderSize + kRecordSize * 8);
    std::memset(table.get() + SlotPosition(kSlotCount - 4), 0xA5, kRecordSize * 4);
    WriteTableRecordCount(table.get(), count);
    return table.get();
}

void Append(const std::string &content, uint8_t *table) {
    kernel::TMemoryStream stream;
    stream.WriteBuffer(content.data(), content.size());
    stream.SetPosition(0);
    kernel::AppendBase(stream, table);
}

std::string Count(const uint8_t *table) { return std::string(ReadTableRecordCount(table)); }

void ExpectSlot(const uint8_t *table, size_t index, const BaseRecord &record) {
    DefinitionRecordView slot = ReadTableSlot(table, index);
    EXPECT_EQ(slot.Name, record.Name) << "slot " << index;
    EXPECT_EQ(slot.Signature, record.Signature) << "slot " << index;
    EXPECT_EQ(slot.Offset, record.Offset) << "slot " << index;
    EXPECT_EQ(slot.Kind, record.Kind) << "slot " << index;
}

bool SlotUntouched(const uint8_t *table, size_t index) {
    const uint8_t *slot = table + SlotPosition(index);
    for (size_t i = 0; i < kRecordSize; ++i)
        if (slot[i] != 0xA5)
            return false;
    return true;
}

template <class Error> std::string AppendError(const std::string &content, uint8_t *table) {
    try {
        Append(content, table);
    } catch (const Error &error) {
        return error.what();
    }
    return "<no error>";
}

// Content of any length made on the fly: a header whose count is lastIndex,
// then lastIndex + 1 records, without holding them in memory.
class GeneratedBase : public kernel::TStream {
public:
    explicit GeneratedBase(int lastIndex)
        : header_(testsupport::BaseHeader("gen", "gen", std::to_string(lastIndex))),
          size_(kHeaderSize + kRecordSize * (static_cast<uint64_t>(lastIndex) + 1)) {}
    size_t Read(void *buffer, size_t count) override {
        auto *out = static_cast<char *>(buffer);
        size_t done = 0;
        while (done < count && position_ < size_) {
            out[done++] = ByteAt(position_++);
        }
        return done;
    }
    size_t Write(const void *, size_t) override { return 0; }
    int64_t Seek(int64_t, kernel::SeekOrigin) override { return static_cast<int64_t>(position_); }

private:
    char ByteAt(uint64_t position) {
        if (position < kHeaderSize)
            return header_[position];
        uint64_t index = (position - kHeaderSize) / kRecordSize;
        if (index != recordIndex_) {
            recordIndex_ = index;
            record_ = testsupport::BaseRecordBytes(SampleRecord(static_cast<int>(index)));
        }
        return record_[(position - kHeaderSize) % kRecordSize];
    }
    std::string header_;
    uint64_t size_;
    uint64_t position_ = 0;
    uint64_t recordIndex_ = UINT64_MAX;
    std::string record_;
};

} // namespace

TEST(DefinitionTable, BasesFillSlotsInOrderWithKindMovedBehindOffset) {
    uint8_t *table = FreshTable();
    std::vector<BaseRecord> first = {{"Spy.One", "abc:12", '0', "0"},
                                     {"Spy.Two", "4D5A", '1', ""},
                                     {"Spy.Three", "77-90-144-0", '2', "128"}};
    Append(BaseContent("2", first, "first 1", "first 2"), table);
    EXPECT_EQ(Count(table), "3");
    for (size_t i = 0; i < 3; ++i)
        ExpectSlot(table, i, first[i]);
    // Byte positions, not only the read helper: Offset at 302, Kind at 313.
    const uint8_t *slot2 = table + SlotPosition(2);
    EXPECT_EQ(slot2[302], 3);
    EXPECT_EQ(std::memcmp(slot2 + 303, "128", 3), 0);
    EXPECT_EQ(slot2[313], '2');

    BaseRecord fourth{"Spy.Four", "ffff", '1', "9"};
    Append(BaseContent("0", {fourth}, "second 1", "second 2"), table);
    EXPECT_EQ(Count(table), "4");
    ExpectSlot(table, 3, fourth);
    ExpectSlot(table, 0, first[0]);
    EXPECT_EQ(ReadCountedText(table + kHeaderText1Offset, kHeaderTextCapacity), "second 1");
    EXPECT_EQ(ReadCountedText(table + kHeaderText2Offset, kHeaderTextCapacity), "second 2");
    EXPECT_TRUE(SlotUntouched(table, 4));
}

TEST(DefinitionTable, CountsAreParsedByTheIntegerRules) {
    uint8_t *table = FreshTable(" $2");
    Append(BaseContent("0x1", SampleRecords(2)), table);
    EXPECT_EQ(Count(table), "4"); // 2 in use + 2 records, written in plain decimal
    ExpectSlot(table, 2, SampleRecord(0));
    ExpectSlot(table, 3, SampleRecord(1));
}

TEST(DefinitionTable, ARecordCutShortFillsOnlyTheFieldsThatArrivedAndIsNotCounted) {
    uint8_t *table = FreshTable();
    std::string content = BaseContent("1", {{"Spy.Cut", "0123456789", '1', "55"}});
    content.resize(kHeaderSize + 101 + 5); // Name and the first 5 bytes of Signature
    Append(content, table);
    EXPECT_EQ(Count(table), "0");
    const uint8_t *slot = table + SlotPosition(0);
    EXPECT_EQ(ReadCountedText(slot, kNameCapacity), "Spy.Cut");
    EXPECT_EQ(std::memcmp(slot + 101, "\x0a" "0123", 5), 0);
    EXPECT_EQ(slot[106], 0xA5);
    EXPECT_EQ(slot[kSlotOffsetOffset], 0xA5);
    EXPECT_EQ(slot[kSlotKindOffset], 0xA5);
    EXPECT_TRUE(SlotUntouched(table, 1)); // never reached
}

TEST(DefinitionTable, ContentEndingEarlyCountsTheWholeRecordsOnly) {
    const std::string content = BaseContent("2", SampleRecords(3));
    struct Case {
        size_t length;
        const char *count;
    } cases[] = {
        {kHeaderSize, "5"},
        {kHeaderSize + 1, "5"},
        {kHeaderSize + kRecordSize - 1, "5"},
        {kHeaderSize + kRecordSize, "6"},
        {kHeaderSize + 2 * kRecordSize + 303, "7"}, // the last one without its Offset
        {kHeaderSize + 3 * kRecordSize, "8"},
    };
    for (const Case &c : cases) {
        uint8_t *table = FreshTable("5");
        Append(content.substr(0, c.length), table);
        EXPECT_EQ(Count(table), c.count) << c.length << " bytes";
        for (int i = 0; i < std::stoi(c.count) - 5; ++i)
            ExpectSlot(table, 5 + static_cast<size_t>(i), SampleRecord(i));
    }
}

TEST(DefinitionTable, MinusOneCountAddsNothing) {
    uint8_t *table = FreshTable("5");
    Append(BaseContent("-1", SampleRecords(1)), table);
    EXPECT_EQ(Count(table), "5");
    EXPECT_TRUE(SlotUntouched(table, 5));
}

TEST(DefinitionTable, ShortHeaderIsAReadErrorAndKeepsTheCount) {
    uint8_t *table = FreshTable("3");
    // Cut inside RecordCount: part of the base's count text already arrived.
    std::string content = BaseContent("12345", {}).substr(0, 205);
    EXPECT_EQ(AppendError<kernel::EReadError>(content, table), "Stream read error");
    EXPECT_EQ(Count(table), "3");
    EXPECT_EQ(AppendError<kernel::EReadError>("", table), "Stream read error");
    EXPECT_EQ(Count(table), "3");
}

TEST(DefinitionTable, BadCountTextsNameTheText) {
    uint8_t *table = FreshTable("2");
    EXPECT_EQ(AppendError<kernel::EConvertError>(BaseContent("abc", SampleRecords(1)), table),
              "'abc' is not a valid integer value");
    EXPECT_EQ(Count(table), "2");
    EXPECT_TRUE(SlotUntouched(table, 2));

    // The table's own count is parsed before anything is read.
    table = FreshTable("x y");
    kernel::TMemoryStream stream;
    std::string content = BaseContent("0", SampleRecords(1));
    stream.WriteBuffer(content.data(), content.size());
    stream.SetPosition(0);
    try {
        kernel::AppendBase(stream, table);
        ADD_FAILURE() << "no error";
    } catch (const kernel::EConvertError &error) {
        EXPECT_STREQ(error.what(), "'x y' is not a valid integer value");
    }
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(Count(table), "x y");
}

TEST(DefinitionTable, LengthBytesAboveCapacityStayInTheField) {
    uint8_t *table = FreshTable();
    // A count field claiming 200 characters: only its 10 are read.
    uint8_t *count = table + kRecordCountOffset;
    count[0] = 200;
    std::memcpy(count + 1, "0000000001", 10);
    Append(BaseContent("0", {SampleRecord(4)}), table);
    EXPECT_EQ(Count(table), "2");
    ExpectSlot(table, 1, SampleRecord(4));

    uint8_t *name = table + SlotPosition(1);
    name[0] = 255;
    EXPECT_EQ(ReadTableSlot(table, 1).Name.size(), kNameCapacity);
    EXPECT_EQ(ReadTableSlot(table, 1).Signature.size(), SampleRecord(4).Signature.size());
}

TEST(DefinitionTable, TheLastSlotIsOneMillionAndTheNextIsARangeError) {
    uint8_t *table = FreshTable("1000000");
    std::string content = BaseContent("1", SampleRecords(2, 70));
    EXPECT_EQ(AppendError<kernel::ERangeError>(content, table), "Range check error");
    ExpectSlot(table, 1000000, SampleRecord(70));
    // The slot that fit stays in use.
    EXPECT_EQ(Count(table), "1000001");
    EXPECT_EQ(ReadCountedText(table + kHeaderText1Offset, kHeaderTextCapacity), "Header one");

    // A table already full takes no record at all.
    table = FreshTable("1000001");
    EXPECT_EQ(AppendError<kernel::ERangeError>(BaseContent("0", SampleRecords(1)), table),
              "Range check error");
    EXPECT_EQ(Count(table), "1000001");
    // A base that ends early still may not announce more than the table
    // holds; the one record it carries stays.
    table = FreshTable("999999");
    EXPECT_EQ(AppendError<kernel::ERangeError>(BaseContent("5", SampleRecords(1)), table),
              "Range check error");
    EXPECT_EQ(Count(table), "1000000");
    ExpectSlot(table, 999999, SampleRecord(0));
}

TEST(DefinitionTable, ABaseThatOverflowsKeepsTheSlotsItFilled) {
    uint8_t *table = FreshTable("999998");
    EXPECT_EQ(AppendError<kernel::ERangeError>(BaseContent("4", SampleRecords(5, 20)), table),
              "Range check error");
    EXPECT_EQ(Count(table), "1000001");
    for (int i = 0; i < 3; ++i)
        ExpectSlot(table, 999998 + static_cast<size_t>(i), SampleRecord(20 + i));
    // The full table takes nothing more, and its count stays.
    EXPECT_EQ(AppendError<kernel::ERangeError>(BaseContent("0", SampleRecords(1)), table),
              "Range check error");
    EXPECT_EQ(Count(table), "1000001");
    ExpectSlot(table, 1000000, SampleRecord(22));
}

TEST(DefinitionTable, ADamagedNegativeCountNeverWritesBeforeTheSlots) {
    uint8_t *table = FreshTable("-2");
    EXPECT_EQ(AppendError<kernel::ERangeError>(BaseContent("0", SampleRecords(1)), table),
              "Range check error");
    EXPECT_EQ(Count(table), "-2");
    // Only the header was replaced by the base's; nothing else before slot 0.
    EXPECT_EQ(ReadCountedText(table, kHeaderTextCapacity), "Header one");
    EXPECT_TRUE(SlotUntouched(table, 0));
}

TEST(DefinitionTable, AFullBaseFillsEverySlot) {
    uint8_t *table = FreshTable();
    GeneratedBase base(kMaxDefinitionIndex);
    kernel::AppendBase(base, table);
    EXPECT_EQ(Count(table), "1000001");
    ExpectSlot(table, 0, SampleRecord(0));
    ExpectSlot(table, 500000, SampleRecord(500000));
    ExpectSlot(table, 1000000, SampleRecord(1000000));
}
