// PackBase, UnPakBase and UnPakBaseToStream through Kernel.dll's import
// library, as another program calls them.
#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "BaseContent.h"
#include "ContainerTestSupport.h"
#include "SystemErrorText.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace brenvald;
using containertest::ErrorOf;
using containertest::NoiseBytes;
using testsupport::BaseContent;
using testsupport::ReadFile;
using testsupport::SampleRecord;
using testsupport::SampleRecords;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

void Pack(const std::string &source, const std::string &target) {
    StringValue sourceText(source), targetText(target);
    PackBase(sourceText.get(), targetText.get());
}

void Unpack(const std::string &source, const std::string &target) {
    UnPakBase(source.c_str(), target.c_str());
}

// The whole table, allocated once: only RecordCount is set for a test, the
// slots it looks at are marked 0xA5.
uint8_t *FreshTable(const std::string &count = "0") {
    static std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]);
    std::memset(table.get(), 0xA5, SlotPosition(3200));
    std::memset(table.get() + SlotPosition(kSlotCount - 2), 0xA5, 2 * kRecordSize);
    WriteTableRecordCount(table.get(), count);
    return table.get();
}

void Load(const std::string &path, uint8_t *table) {
    StringValue pathText(path);
    void *start = table;
    UnPakBaseToStream(pathText.get(), &start);
}

std::string Count(const uint8_t *table) { return std::string(ReadTableRecordCount(table)); }

std::string Header(const uint8_t *table) {
    return std::string(reinterpret_cast<const char *>(table), kHeaderSize);
}

void ExpectSlot(const uint8_t *table, size_t index, const testsupport::BaseRecord &record) {
    DefinitionRecordView slot = ReadTableSlot(table, index);
    EXPECT_EQ(slot.Name, record.Name) << "slot " << index;
    EXPECT_EQ(slot.Signature, record.Signature) << "slot " << index;
    EXPECT_EQ(slot.Offset, record.Offset) << "slot " << index;
    EXPECT_EQ(slot.Kind, record.Kind) << "slot " << index;
}

// A record with full fields of letters and digits, which bzip2 cannot
// shrink much: its base spans as many blocks as its size says.
testsupport::BaseRecord FullRecord(int i) {
    std::string noise = NoiseBytes(310, static_cast<uint32_t>(i) + 1);
    for (char &c : noise)
        c = static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
    return {noise.substr(0, 100), noise.substr(100, 200), '1', std::to_string(1000000000 + i)};
}

// A base written in plain and packed with PackBase; returns the container path.
std::string PackedBase(const TempDir &dir, const std::string &name, const std::string &content) {
    WriteFile(dir.file(name + ".plain"), content);
    Pack(dir.file(name + ".plain"), dir.file(name + ".bvx"));
    return dir.file(name + ".bvx");
}

std::string SystemText(DWORD code) {
    return brenvald::SystemErrorTextAnsi(code, "\r\n ").value_or("");
}

std::string FullPathOf(const std::string &path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return std::string(full, length);
}

// Names in the folder, to see that a failed call leaves no stray file.
std::vector<std::string> FolderNames(const TempDir &dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(dir.file("*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (entry.cFileName[0] != '.')
            names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

} // namespace

// --- Packing and unpacking files ---

TEST(ContainerFiles, PackThenUnpackGivesTheFileBack) {
    TempDir dir;
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary += static_cast<char>(i * 7);
    for (const std::string &content : {std::string(), std::string("one line\r\n"), binary,
                                       NoiseBytes(1000000)}) {
        WriteFile(dir.file("plain"), content);
        Pack(dir.file("plain"), dir.file("packed.bvx"));
        std::string packed = ReadFile(dir.file("packed.bvx"));
        EXPECT_EQ(packed.substr(0, 4), "BZh9");
        Unpack(dir.file("packed.bvx"), dir.file("back"));
        EXPECT_TRUE(ReadFile(dir.file("back")) == content) << "size " << content.size();
    }
}

TEST(ContainerFiles, SameFileAsSourceAndTargetIsReplaced) {
    TempDir dir;
    std::string content = BaseContent("1", SampleRecords(2));
    WriteFile(dir.file("base"), content);
    Pack(dir.file("base"), dir.file("base"));
    EXPECT_EQ(ReadFile(dir.file("base")).substr(0, 4), "BZh9");
    Unpack(dir.file("base"), dir.file("base"));
    EXPECT_EQ(ReadFile(dir.file("base")), content);
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"base"});
}

TEST(ContainerFiles, AContainerOfTheSystemBzip2Unpacks) {
    std::string container = std::string(BVX_FIXTURE_DIR) + "plain.txt.bz2";
    ASSERT_EQ(ReadFile(container).substr(0, 4), "BZh1"); // block size 1, not ours
    TempDir dir;
    Unpack(container, dir.file("plain.txt"));
    std::string expected = ReadFile(std::string(BVX_FIXTURE_DIR) + "plain.txt");
    EXPECT_GT(expected.size(), 300000u); // several blocks
    EXPECT_TRUE(ReadFile(dir.file("plain.txt")) == expected);
}

TEST(ContainerFiles, BadContainersFailAndLeaveTheTargetAlone) {
    TempDir dir;
    std::string packed = ReadFile(PackedBase(dir, "a", NoiseBytes(40000)));
    std::string corrupt = packed;
    corrupt[corrupt.size() / 2] ^= 0x01;
    struct Case {
        std::string content, error;
    } cases[] = {
        {packed + packed, "error -1"},
        {"MZ plain file, no container", "error -5"},
        {corrupt, "error -4"},
    };
    for (const Case &c : cases) {
        WriteFile(dir.file("bad.bvx"), c.content);
        WriteFile(dir.file("target"), "keep me");
        EXPECT_EQ(ErrorOf([&] { Unpack(dir.file("bad.bvx"), dir.file("target")); }), c.error);
        EXPECT_EQ(ReadFile(dir.file("target")), "keep me");
        EXPECT_EQ(ErrorOf([&] { Unpack(dir.file("bad.bvx"), dir.file("new")); }), c.error);
        EXPECT_FALSE(testsupport::FileExists(dir.file("new")));
    }
    EXPECT_EQ(FolderNames(dir).size(), 4u); // a.plain, a.bvx, bad.bvx, target, nothing else
}

TEST(ContainerFiles, ACutContainerUnpacksToItsCompleteBlocks) {
    TempDir dir;
    std::string content = NoiseBytes(1300000);
    std::string packed = ReadFile(PackedBase(dir, "big", content));
    WriteFile(dir.file("cut.bvx"), packed.substr(0, packed.size() - 5000));
    Unpack(dir.file("cut.bvx"), dir.file("cut"));
    std::string unpacked = ReadFile(dir.file("cut"));
    EXPECT_GE(unpacked.size(), 850000u);
    EXPECT_LE(unpacked.size(), 900000u);
    EXPECT_TRUE(content.compare(0, unpacked.size(), unpacked) == 0);
}

TEST(ContainerFiles, OpenAndCreateFailuresNameTheFullPath) {
    TempDir dir;
    std::string missing = dir.file("missing.bvx");
    EXPECT_EQ(ErrorOf([&] { Unpack(missing, dir.file("t")); }),
              "Cannot open file \"" + FullPathOf(missing) + "\". " + SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { Pack(missing, dir.file("t")); }),
              "Cannot open file \"" + FullPathOf(missing) + "\". " + SystemText(ERROR_FILE_NOT_FOUND));

    WriteFile(dir.file("plain"), "abc");
    std::string noFolder = dir.file("no such folder\\t.bvx");
    EXPECT_EQ(ErrorOf([&] { Pack(dir.file("plain"), noFolder); }),
              "Cannot create file \"" + FullPathOf(noFolder) + "\". " +
                  SystemText(ERROR_PATH_NOT_FOUND));
    // A bad source is reported before a target that cannot be created.
    WriteFile(dir.file("bad.bvx"), "no container");
    EXPECT_EQ(ErrorOf([&] { Unpack(dir.file("bad.bvx"), noFolder); }), "error -5");
}

TEST(ContainerFiles, ASourceOthersWriteCannotBeOpened) {
    TempDir dir;
    std::string path = PackedBase(dir, "base", "content");
    {
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ErrorOf([&] { Unpack(path, dir.file("out")); }), "<no error>");
        CloseHandle(reader);
    }
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { Unpack(path, dir.file("out")); }),
              "Cannot open file \"" + FullPathOf(path) + "\". " + SystemText(ERROR_SHARING_VIOLATION));
    CloseHandle(writer);
}

TEST(ContainerFiles, ReferenceCountsComeBackAndConstantsStayUntouched) {
    TempDir dir;
    WriteFile(dir.file("plain"), "abc");
    StringValue source(dir.file("plain")), target(dir.file("packed"));
    PackBase(source.get(), target.get());
    EXPECT_EQ(source.refCount(), 1);
    EXPECT_EQ(target.refCount(), 1);

    StringValue constantSource(dir.file("missing"), true), constantTarget(dir.file("t"), true);
    EXPECT_NE(ErrorOf([&] { PackBase(constantSource.get(), constantTarget.get()); }), "<no error>");
    EXPECT_EQ(constantSource.refCount(), -1);
    EXPECT_EQ(constantSource.view(), dir.file("missing"));
    EXPECT_EQ(constantTarget.refCount(), -1);

    StringValue base(dir.file("packed")), badBase(dir.file("plain"));
    void *table = FreshTable();
    EXPECT_EQ(ErrorOf([&] { UnPakBaseToStream(base.get(), &table); }), "Stream read error");
    EXPECT_EQ(ErrorOf([&] { UnPakBaseToStream(badBase.get(), &table); }), "error -5");
    EXPECT_EQ(base.refCount(), 1);
    EXPECT_EQ(badBase.refCount(), 1);
    EXPECT_EQ(table, static_cast<void *>(FreshTable()));
}

// --- Loading into the table ---

TEST(ContainerTable, BasesAppendInOrder) {
    TempDir dir;
    uint8_t *table = FreshTable();
    Load(PackedBase(dir, "one", BaseContent("2", SampleRecords(3))), table);
    Load(PackedBase(dir, "two", BaseContent("0", SampleRecords(1, 10), "two 1")), table);
    EXPECT_EQ(Count(table), "4");
    ExpectSlot(table, 2, SampleRecord(2));
    ExpectSlot(table, 3, SampleRecord(10));
    EXPECT_EQ(ReadCountedText(table, kHeaderTextCapacity), "two 1");
    // An empty container is a base without a header.
    EXPECT_EQ(ErrorOf([&] { Load(PackedBase(dir, "empty", ""), table); }), "Stream read error");
    EXPECT_EQ(Count(table), "4");
}

TEST(ContainerTable, ContainerFailuresLeaveTheHeaderAsItWas) {
    TempDir dir;
    uint8_t *table = FreshTable();
    Load(PackedBase(dir, "first", BaseContent("0", SampleRecords(1))), table);
    std::string header = Header(table);
    std::string good = ReadFile(PackedBase(dir, "good", BaseContent("1", SampleRecords(2, 5))));
    std::string corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x04;
    // Bytes 10 to 13 hold the block's stored CRC.
    std::string badBlockCrc = good;
    badBlockCrc[11] ^= 0x01;
    struct Case {
        std::string content, error;
    } cases[] = {
        {good + good, "error -1"},
        {good + "\n", "error -1"},
        {corrupt, "error -4"},
        {badBlockCrc, "error -4"},
        {badBlockCrc.substr(0, badBlockCrc.size() - 10), "error -4"},
        {BaseContent("0", SampleRecords(1)), "error -5"},
        // The container failure comes first, as if unpacked before the append.
        {ReadFile(PackedBase(dir, "abc", BaseContent("abc", {}))) + good, "error -1"},
    };
    for (const Case &c : cases) {
        WriteFile(dir.file("bad.bvx"), c.content);
        EXPECT_EQ(ErrorOf([&] { Load(dir.file("bad.bvx"), table); }), c.error);
        EXPECT_TRUE(Header(table) == header) << c.error;
        EXPECT_EQ(Count(table), "1") << c.error;
    }
    Load(dir.file("good.bvx"), table);
    EXPECT_EQ(Count(table), "3");
    ExpectSlot(table, 2, SampleRecord(6));
}

TEST(ContainerTable, AppendFailuresLeaveOnlySlotsInUse) {
    TempDir dir;
    uint8_t *table = FreshTable("7");
    EXPECT_EQ(ErrorOf([&] { Load(PackedBase(dir, "abc", BaseContent("abc", SampleRecords(1))), table); }),
              "'abc' is not a valid integer value");
    EXPECT_EQ(Count(table), "7");
    std::string shortHeader = BaseContent("3", {}).substr(0, 150);
    EXPECT_EQ(ErrorOf([&] { Load(PackedBase(dir, "short", shortHeader), table); }), "Stream read error");
    EXPECT_EQ(Count(table), "7");

    // A base that overflows the table keeps the slot it filled.
    table = FreshTable("1000000");
    EXPECT_EQ(ErrorOf([&] { Load(PackedBase(dir, "over", BaseContent("1", SampleRecords(2, 3))), table); }),
              "Range check error");
    ExpectSlot(table, 1000000, SampleRecord(3));
    EXPECT_EQ(Count(table), "1000001");
}

TEST(ContainerTable, ABaseCutInsideItsEndMarkerLoadsWhole) {
    TempDir dir;
    const std::string content = BaseContent("2", SampleRecords(3, 40));
    std::string packed = ReadFile(PackedBase(dir, "sample", content));
    for (size_t cut : {1, 5, 10}) {
        WriteFile(dir.file("cut.bvx"), packed.substr(0, packed.size() - cut));
        uint8_t *table = FreshTable("2");
        Load(dir.file("cut.bvx"), table);
        EXPECT_EQ(Count(table), "5") << "cut by " << cut;
        for (int i = 0; i < 3; ++i)
            ExpectSlot(table, 2 + static_cast<size_t>(i), SampleRecord(40 + i));
        Unpack(dir.file("cut.bvx"), dir.file("cut.plain"));
        EXPECT_TRUE(ReadFile(dir.file("cut.plain")) == content) << "cut by " << cut;
    }
}

TEST(ContainerTable, ACutBaseCountsOnlyTheRecordsThatArrivedAsUnpackGivesThem) {
    TempDir dir;
    // 3 000 records: 942 213 bytes, more than one 900 000-byte block.
    std::vector<testsupport::BaseRecord> records;
    for (int i = 0; i < 3000; ++i)
        records.push_back(FullRecord(i));
    const std::string content = BaseContent("2999", records);
    std::string packed = ReadFile(PackedBase(dir, "big", content));
    WriteFile(dir.file("cut.bvx"), packed.substr(0, packed.size() - 200));
    Unpack(dir.file("cut.bvx"), dir.file("cut.plain"));
    const std::string unpacked = ReadFile(dir.file("cut.plain"));
    ASSERT_LT(unpacked.size(), content.size());
    ASSERT_TRUE(content.compare(0, unpacked.size(), unpacked) == 0);
    const size_t whole = (unpacked.size() - kHeaderSize) / kRecordSize;
    ASSERT_GT(whole, 2800u); // the first block

    uint8_t *table = FreshTable("1");
    Load(dir.file("cut.bvx"), table);
    EXPECT_EQ(Count(table), std::to_string(1 + whole));
    // Slot by slot, the table holds what unpack wrote, Kind moved behind Offset.
    for (size_t i = 0; i < whole; ++i) {
        const uint8_t *slot = table + SlotPosition(1 + i);
        const char *record = unpacked.data() + kHeaderSize + kRecordSize * i;
        ASSERT_EQ(std::memcmp(slot, record, kBaseKindOffset), 0) << "record " << i;
        ASSERT_EQ(slot[kSlotKindOffset], static_cast<uint8_t>(record[kBaseKindOffset])) << i;
        ASSERT_EQ(std::memcmp(slot + kSlotOffsetOffset, record + kBaseOffsetOffset,
                              kOffsetCapacity + 1),
                  0)
            << "record " << i;
    }
    EXPECT_EQ(table[SlotPosition(1 + 2999)], 0xA5); // never reached
}

TEST(ContainerTable, AMissingTableIsRefused) {
    TempDir dir;
    StringValue path(PackedBase(dir, "b", BaseContent("0", SampleRecords(1))));
    void *none = nullptr;
    EXPECT_EQ(ErrorOf([&] { UnPakBaseToStream(path.get(), &none); }), "Range check error");
    EXPECT_EQ(ErrorOf([&] { UnPakBaseToStream(path.get(), nullptr); }), "Range check error");
    EXPECT_EQ(path.refCount(), 1);
}
