// A base appended to a real-size DefinitionTable (314 000 527 bytes, made
// once). The table's count before the base comes from the input, so appends
// near the last slot and damaged counts are tried. Checked against a model
// of the append: which error, the count afterwards, the header, and the
// fields of every record that arrived whole. The same content packed into a
// container must give the same result, and a damaged container must leave
// the header as it was.
#include "FuzzSupport.h"

#include "BaseContainer.h"
#include "TableAppend.h"
#include "Streams.h"
#include "bzLib.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace brenvald;
using fuzzsupport::InputReader;
using fuzzsupport::Require;

namespace {

uint8_t *Table() {
    static std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]());
    return table.get();
}

// Counts before the base: the empty table, a few used slots, the last slots,
// and texts no sound table holds (each fits the field's 10 characters).
const char *const kCountsBefore[] = {"0", "1", "7", "999990", "1000000", "1000001",
                                     "-1", "-999999999", "2147483647", "abc", "", " 3"};

std::string CountText(const uint8_t *table) { return std::string(ReadTableRecordCount(table)); }

struct Result {
    std::string error; // what() of the failure, empty on success
    std::vector<uint8_t> header;
};

Result Run(void (*append)(const std::string &, uint8_t *), const std::string &content,
           const std::string &countBefore) {
    uint8_t *table = Table();
    std::memset(table, 0, kHeaderSize);
    WriteCountedText(table + kRecordCountOffset, kRecordCountCapacity, countBefore);
    Result result;
    try {
        append(content, table);
    } catch (const std::exception &error) {
        result.error = error.what();
    }
    result.header.assign(table, table + kHeaderSize);
    return result;
}

void AppendPlain(const std::string &content, uint8_t *table) {
    kernel::TMemoryStream stream;
    stream.WriteBuffer(content.data(), content.size());
    stream.SetPosition(0);
    kernel::AppendBase(stream, table);
}

void AppendContainer(const std::string &container, uint8_t *table) {
    kernel::TMemoryStream stream;
    stream.WriteBuffer(container.data(), container.size());
    stream.SetPosition(0);
    kernel::AppendContainerToTable(stream, table);
}

std::string Pack(const std::string &plain) {
    kernel::TMemoryStream source;
    source.WriteBuffer(plain.data(), plain.size());
    source.SetPosition(0);
    kernel::TMemoryStream target;
    kernel::CompressWholeStream(source, target);
    return std::string(reinterpret_cast<const char *>(target.Memory()), target.Size());
}

// An error's what() ends at the first zero byte of the text it quotes.
std::string NotInteger(std::string_view text) {
    std::string message = "'" + std::string(text) + "' is not a valid integer value";
    return message.c_str();
}

// The error the append must raise (empty for none), the count afterwards,
// and the slots filled with whole records from firstSlot on.
struct Expected {
    std::string error;
    std::string countAfter;
    int64_t firstSlot = 0;
    int64_t records = 0;
};

Expected Model(const std::string &content, const std::string &countBefore) {
    Expected expected;
    std::optional<int32_t> used = ParseInteger(countBefore);
    if (!used) {
        expected.error = NotInteger(countBefore);
        expected.countAfter = countBefore;
        return expected;
    }
    expected.countAfter = std::to_string(*used);
    if (content.size() < kHeaderSize) {
        expected.error = "Stream read error";
        return expected;
    }
    std::string_view baseCount =
        ReadCountedText(reinterpret_cast<const uint8_t *>(content.data()) + kRecordCountOffset,
                        kRecordCountCapacity);
    std::optional<int32_t> last = ParseInteger(baseCount);
    if (!last) {
        expected.error = NotInteger(baseCount);
        return expected;
    }
    if (*last < 0)
        return expected;
    // The slots the base names that lie in the table, and of those the ones
    // whose record arrived whole: RecordCount grows by these.
    expected.firstSlot = *used;
    const int64_t end = int64_t{*used} + *last;
    const bool fits = *used >= 0 && end <= kMaxDefinitionIndex;
    // A count already past the last slot (a damaged table) leaves no slot to fill.
    const int64_t named = fits ? int64_t{*last} + 1
                               : std::max<int64_t>(0, *used < 0 ? 0 : kMaxDefinitionIndex - int64_t{*used} + 1);
    const int64_t whole = static_cast<int64_t>((content.size() - kHeaderSize) / kRecordSize);
    expected.records = std::min(named, whole);
    expected.countAfter = std::to_string(int64_t{*used} + expected.records);
    if (!fits)
        expected.error = "Range check error";
    return expected;
}

void RequireRecordsCopied(const std::string &content, const Expected &expected) {
    const uint8_t *table = Table();
    const auto *base = reinterpret_cast<const uint8_t *>(content.data());
    for (size_t i = 0; i < static_cast<size_t>(expected.records); ++i) {
        const uint8_t *record = base + kHeaderSize + i * kRecordSize;
        const uint8_t *slot = table + SlotPosition(static_cast<size_t>(expected.firstSlot) + i);
        Require(std::memcmp(slot, record, kBaseKindOffset) == 0, "name and signature copied");
        Require(slot[kSlotKindOffset] == record[kBaseKindOffset], "kind moved behind the offset");
        Require(std::memcmp(slot + kSlotOffsetOffset, record + kBaseOffsetOffset,
                            kOffsetCapacity + 1) == 0,
                "offset moved before the kind");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t choice = input.Byte();
    const std::string countBefore = kCountsBefore[choice % std::size(kCountsBefore)];
    const bool asContainer = choice & 0x80;
    const std::string payload = input.Rest();

    if (asContainer) {
        // The payload is a container: whatever it holds, a container failure
        // leaves the header untouched.
        Result result = Run(AppendContainer, payload, countBefore);
        if (result.error.rfind("error ", 0) == 0) {
            std::vector<uint8_t> before(kHeaderSize, 0);
            WriteCountedText(before.data() + kRecordCountOffset, kRecordCountCapacity, countBefore);
            Require(result.header == before, "a container failure leaves the header as it was");
        }
        return 0;
    }

    const Expected expected = Model(payload, countBefore);
    Result plain = Run(AppendPlain, payload, countBefore);
    Require(plain.error == expected.error, "the append raises the error of the model");
    Require(CountText(plain.header.data()) == expected.countAfter,
            "RecordCount afterwards is that of the model");
    if (expected.error.empty() || expected.error == "Range check error") {
        Require(std::memcmp(plain.header.data(), payload.data(), kRecordCountOffset) == 0,
                "the base's header texts replace the table's");
        RequireRecordsCopied(payload, expected);
    }

    Result packed = Run(AppendContainer, Pack(payload), countBefore);
    Require(packed.error == plain.error, "a container raises what its plain content raises");
    Require(packed.header == plain.header, "a container leaves the header its content leaves");
    return 0;
}
