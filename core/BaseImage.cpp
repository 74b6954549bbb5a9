#include "BaseImage.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"

namespace bvxtool {

namespace {

using namespace brenvald;

const uint8_t *Bytes(const std::string &content, size_t position) {
    return reinterpret_cast<const uint8_t *>(content.data()) + position;
}

// The field's text; a length byte above the capacity is cut and noted.
std::string ReadField(const uint8_t *field, size_t capacity, const std::string &where,
                      std::vector<std::string> &warnings) {
    if (field[0] > capacity)
        warnings.push_back(where + ": length byte " + std::to_string(field[0]) +
                           " exceeds the field's " + std::to_string(capacity) + " characters");
    return std::string(ReadCountedText(field, capacity));
}

Definition ReadRecord(const uint8_t *record, size_t index, std::vector<std::string> &warnings) {
    std::string where = "record " + std::to_string(index + 1);
    Definition definition;
    definition.name = ReadField(record + kNameOffset, kNameCapacity, where + " name", warnings);
    definition.signature =
        ReadField(record + kSignatureOffset, kSignatureCapacity, where + " signature", warnings);
    definition.kind = static_cast<char>(record[kBaseKindOffset]);
    definition.offset =
        ReadField(record + kBaseOffsetOffset, kOffsetCapacity, where + " offset", warnings);
    std::string problem = DefinitionProblem(definition);
    if (!problem.empty())
        warnings.push_back(where + " (" + definition.name + "): " + problem);
    return definition;
}

// How many records the count field announces: the engine reads count + 1
// records, none for a negative count.
size_t AnnouncedRecords(std::string_view countText) {
    std::optional<int32_t> count = ParseInteger(countText);
    if (!count)
        throw BaseError("the record count \"" + std::string(countText) + "\" is not an integer");
    return *count < 0 ? 0 : static_cast<size_t>(*count) + 1;
}

} // namespace

std::string BaseErrorText(const std::string &engineMessage) {
    static const struct {
        const char *message, *text;
    } kTexts[] = {
        {"error -5", "not a definition base (not bzip2 data)"},
        {"error -4", "the compressed data is damaged (bzip2 error -4)"},
        {"error -3", "not enough memory to unpack it (bzip2 error -3)"},
        {"error -1", "data follows the end of its compressed data (bzip2 error -1)"},
        {"Stream read error", "the content is shorter than a base header (Stream read error)"},
        {"Range check error", "the definition table is full (Range check error)"},
    };
    for (const auto &entry : kTexts)
        if (engineMessage == entry.message)
            return entry.text;
    return engineMessage;
}

std::string EncodeBase(const DefinitionList &list) {
    size_t count = list.definitions.size();
    std::string content(kHeaderSize + kRecordSize * count, '\0');
    auto bytes = reinterpret_cast<uint8_t *>(&content[0]);
    WriteBaseHeader(bytes, list.header1, list.header2,
                    std::to_string(static_cast<long long>(count) - 1));
    for (size_t i = 0; i < count; ++i) {
        const Definition &definition = list.definitions[i];
        WriteBaseRecord(bytes + kHeaderSize + kRecordSize * i, definition.name,
                        definition.signature, definition.kind, definition.offset);
    }
    return content;
}

DecodedBase DecodeBase(const std::string &content) {
    if (content.size() < kHeaderSize)
        throw BaseError("the content is " + std::to_string(content.size()) +
                        " bytes, shorter than a base header (" + std::to_string(kHeaderSize) +
                        ")");
    DecodedBase base;
    std::vector<std::string> &warnings = base.warnings;
    base.list.header1 =
        ReadField(Bytes(content, kHeaderText1Offset), kHeaderTextCapacity, "header1", warnings);
    base.list.header2 =
        ReadField(Bytes(content, kHeaderText2Offset), kHeaderTextCapacity, "header2", warnings);
    for (const std::string *header : {&base.list.header1, &base.list.header2}) {
        std::string problem = HeaderProblem(*header);
        if (!problem.empty())
            warnings.push_back(problem);
    }

    size_t announced =
        AnnouncedRecords(ReadCountedText(Bytes(content, kRecordCountOffset), kRecordCountCapacity));
    size_t present = (content.size() - kHeaderSize) / kRecordSize;
    if (present < announced)
        warnings.push_back("the count announces " + std::to_string(announced) +
                           " records but only " + std::to_string(present) + " are complete");
    size_t records = std::min(present, announced);
    for (size_t i = 0; i < records; ++i)
        base.list.definitions.push_back(
            ReadRecord(Bytes(content, kHeaderSize + kRecordSize * i), i, warnings));

    if (warnings.empty() && EncodeBase(base.list) != content)
        warnings.push_back("the base holds bytes that a list does not keep (unused field bytes, "
                           "a count in another form, or data after the last record)");
    return base;
}

} // namespace bvxtool
