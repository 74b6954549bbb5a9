#include "TableAppend.h"

#include "IntegerText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace kernel {

namespace {

using namespace brenvald;

void WriteRecordCount(uint8_t *table, int64_t count) {
    WriteTableRecordCount(table, std::to_string(count));
}

// Reads one base record into a slot and returns the bytes that arrived. The
// content may end anywhere: what arrives is copied field by field and the
// rest of the slot stays as it was.
size_t ReadRecordIntoSlot(TStream &content, uint8_t *slot) {
    std::array<uint8_t, kRecordSize> record;
    size_t got = content.ReadFully(record.data(), record.size());
    struct Move {
        size_t from, to, size;
    };
    static constexpr Move kMoves[] = {
        {kNameOffset, kNameOffset, kNameCapacity + 1},
        {kSignatureOffset, kSignatureOffset, kSignatureCapacity + 1},
        {kBaseKindOffset, kSlotKindOffset, 1},
        {kBaseOffsetOffset, kSlotOffsetOffset, kOffsetCapacity + 1},
    };
    for (const Move &move : kMoves) {
        if (got <= move.from)
            break;
        size_t size = std::min(move.size, got - move.from);
        std::memcpy(slot + move.to, record.data() + move.from, size);
    }
    return got;
}

// Counts in filled the records that arrived whole: their slots are the ones
// the base really filled. Once the content has ended no read brings anything,
// so the remaining slots are only checked against the table's bounds. A
// negative start (a damaged table count) is out of bounds as well: nothing is
// written before the first slot.
void AppendRecords(TStream &content, uint8_t *table, int64_t firstSlot, int32_t lastIndex,
                   int64_t &filled) {
    bool exhausted = false;
    for (int64_t i = firstSlot; i <= firstSlot + lastIndex; ++i) {
        if (i < 0 || i > kMaxDefinitionIndex)
            throw ERangeError("Range check error");
        if (exhausted)
            continue;
        exhausted = ReadRecordIntoSlot(content, table + SlotPosition(static_cast<size_t>(i))) <
                    kRecordSize;
        if (!exhausted)
            ++filled;
    }
}

} // namespace

void AppendBase(TStream &content, uint8_t *table) {
    const int32_t used = StrToInt(ReadTableRecordCount(table));
    int64_t filled = 0;
    try {
        content.ReadBuffer(table, kHeaderSize);
        const int32_t lastIndex = StrToInt(ReadTableRecordCount(table));
        if (lastIndex >= 0)
            AppendRecords(content, table, used, lastIndex, filled);
    } catch (const ERangeError &) {
        WriteRecordCount(table, int64_t{used} + filled);
        throw;
    } catch (...) {
        WriteRecordCount(table, used);
        throw;
    }
    WriteRecordCount(table, int64_t{used} + filled);
}

} // namespace kernel
