// The byte layout of definition bases and of the DefinitionTable that the
// engine appends them to. Both are fixed: the engine writes the table at these
// offsets, the scanner reads it at these offsets, and the tools write base
// files with them.
//
// Every text is a counted text field of capacity N: N + 1 bytes, a length
// byte, then the characters. A length byte above the capacity is never
// trusted: readers take at most the capacity, so no read leaves the field.
#ifndef BRENVALD_DEFINITIONTABLE_H
#define BRENVALD_DEFINITIONTABLE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brenvald {

// --- Counted text fields ---

// The field's text: its length byte, cut to the capacity, in characters.
inline std::string_view ReadCountedText(const uint8_t *field, size_t capacity) {
    size_t length = std::min<size_t>(field[0], capacity);
    return std::string_view(reinterpret_cast<const char *>(field + 1), length);
}

// Stores a text in a field, cut to the capacity; bytes after the text are
// left as they were.
inline void WriteCountedText(uint8_t *field, size_t capacity, std::string_view text) {
    size_t length = std::min(text.size(), capacity);
    field[0] = static_cast<uint8_t>(length);
    std::memcpy(field + 1, text.data(), length);
}

// --- Header, shared by a base and the table ---

constexpr size_t kHeaderTextCapacity = 100;
constexpr size_t kHeaderText1Offset = 0;
constexpr size_t kHeaderText2Offset = 101;
constexpr size_t kRecordCountOffset = 202;
constexpr size_t kRecordCountCapacity = 10;
constexpr size_t kHeaderSize = 213;

// --- Records: the same fields, Kind and Offset swapped between the two ---

constexpr size_t kRecordSize = 314;
constexpr size_t kNameOffset = 0;
constexpr size_t kNameCapacity = 100;
constexpr size_t kSignatureOffset = 101;
constexpr size_t kSignatureCapacity = 200;
constexpr size_t kOffsetCapacity = 10;

// In a base file: Name, Signature, Kind, Offset.
constexpr size_t kBaseKindOffset = 302;
constexpr size_t kBaseOffsetOffset = 303;
// In a slot of the table: Name, Signature, Offset, Kind.
constexpr size_t kSlotOffsetOffset = 302;
constexpr size_t kSlotKindOffset = 313;

// --- The table ---

constexpr int32_t kMaxDefinitionIndex = 1000000;
constexpr size_t kSlotCount = static_cast<size_t>(kMaxDefinitionIndex) + 1;
constexpr size_t kDefinitionTableSize = kHeaderSize + kRecordSize * kSlotCount;
static_assert(kDefinitionTableSize == 314000527, "the table's size is fixed");

// The DefinitionKind characters.
constexpr char kKindMd5Fingerprint = '0';
constexpr char kKindHexSignature = '1';
constexpr char kKindOffsetSignature = '2';

inline size_t SlotPosition(size_t index) { return kHeaderSize + kRecordSize * index; }

// The fields of one slot as texts.
struct DefinitionRecordView {
    std::string_view Name;
    std::string_view Signature;
    std::string_view Offset;
    char Kind = 0;
};

inline DefinitionRecordView ReadTableSlot(const uint8_t *table, size_t index) {
    const uint8_t *slot = table + SlotPosition(index);
    DefinitionRecordView view;
    view.Name = ReadCountedText(slot + kNameOffset, kNameCapacity);
    view.Signature = ReadCountedText(slot + kSignatureOffset, kSignatureCapacity);
    view.Offset = ReadCountedText(slot + kSlotOffsetOffset, kOffsetCapacity);
    view.Kind = static_cast<char>(slot[kSlotKindOffset]);
    return view;
}

// The table's RecordCount as text (a decimal integer when the table is sound).
inline std::string_view ReadTableRecordCount(const uint8_t *table) {
    return ReadCountedText(table + kRecordCountOffset, kRecordCountCapacity);
}

// Writes one slot of the table in the table's order (Name, Signature,
// Offset, Kind), as the engine fills it; other bytes of the slot stay.
inline void WriteTableSlot(uint8_t *table, size_t index, std::string_view name,
                           std::string_view signature, char kind, std::string_view offset) {
    uint8_t *slot = table + SlotPosition(index);
    WriteCountedText(slot + kNameOffset, kNameCapacity, name);
    WriteCountedText(slot + kSignatureOffset, kSignatureCapacity, signature);
    WriteCountedText(slot + kSlotOffsetOffset, kOffsetCapacity, offset);
    slot[kSlotKindOffset] = static_cast<uint8_t>(kind);
}

// Writes the table's RecordCount text.
inline void WriteTableRecordCount(uint8_t *table, std::string_view recordCount) {
    WriteCountedText(table + kRecordCountOffset, kRecordCountCapacity, recordCount);
}

// Writes one record of a base file (kRecordSize bytes) in the file's order.
inline void WriteBaseRecord(uint8_t *record, std::string_view name, std::string_view signature,
                            char kind, std::string_view offset) {
    std::memset(record, 0, kRecordSize);
    WriteCountedText(record + kNameOffset, kNameCapacity, name);
    WriteCountedText(record + kSignatureOffset, kSignatureCapacity, signature);
    record[kBaseKindOffset] = static_cast<uint8_t>(kind);
    WriteCountedText(record + kBaseOffsetOffset, kOffsetCapacity, offset);
}

// Writes the header of a base file (kHeaderSize bytes).
inline void WriteBaseHeader(uint8_t *header, std::string_view text1, std::string_view text2,
                            std::string_view recordCount) {
    std::memset(header, 0, kHeaderSize);
    WriteCountedText(header + kHeaderText1Offset, kHeaderTextCapacity, text1);
    WriteCountedText(header + kHeaderText2Offset, kHeaderTextCapacity, text2);
    WriteCountedText(header + kRecordCountOffset, kRecordCountCapacity, recordCount);
}

} // namespace brenvald

#endif
