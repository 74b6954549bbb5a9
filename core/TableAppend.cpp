#include "TableAppend.h"

#include "IntegerText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kernel {

namespace {

using namespace brenvald;

void WriteRecordCount(uint8_t *table, int64_t count) {
    WriteTableRecordCount(table, std::to_string(count));
}

// Records are read from the content this many at a time: one decompression
// call per record costs more than the decompression of its bytes.
constexpr int64_t kBatchRecords = 256;

// Copies one base record, or the part of it that arrived, into a slot: what
// arrives is copied field by field and the rest of the slot stays as it was.
void CopyRecordIntoSlot(const uint8_t *record, size_t got, uint8_t *slot) {
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
        std::memcpy(slot + move.to, record + move.from, size);
    }
}

// Counts in filled the records that arrived whole: their slots are the ones
// the base really filled. The content may end anywhere; once it has ended no
// read brings anything, so the remaining slots are only checked against the
// table's bounds. A batch never reaches past the base's last record or the
// table's last slot, so the content is read exactly as far as record by
// record. A negative start (a damaged table count) is out of bounds as well:
// nothing is written before the first slot.
void AppendRecords(TStream &content, uint8_t *table, int64_t firstSlot, int32_t lastIndex,
                   int64_t &filled) {
    const int64_t lastSlot = firstSlot + lastIndex;
    std::vector<uint8_t> batch(static_cast<size_t>(kBatchRecords) * kRecordSize);
    for (int64_t i = firstSlot; i <= lastSlot;) {
        if (i < 0 || i > kMaxDefinitionIndex)
            throw ERangeError("Range check error");
        const int64_t count = std::min({lastSlot - i + 1, kMaxDefinitionIndex - i + 1, kBatchRecords});
        const size_t wanted = static_cast<size_t>(count) * kRecordSize;
        const size_t got = content.ReadFully(batch.data(), wanted);
        const size_t whole = got / kRecordSize;
        for (size_t k = 0; k < whole; ++k)
            CopyRecordIntoSlot(batch.data() + k * kRecordSize, kRecordSize,
                               table + SlotPosition(static_cast<size_t>(i) + k));
        filled += static_cast<int64_t>(whole);
        if (got < wanted) {
            CopyRecordIntoSlot(batch.data() + whole * kRecordSize, got % kRecordSize,
                               table + SlotPosition(static_cast<size_t>(i) + whole));
            if (lastSlot > kMaxDefinitionIndex)
                throw ERangeError("Range check error");
            return;
        }
        i += count;
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
