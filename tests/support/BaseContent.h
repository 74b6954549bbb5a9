// Plain definition base content for tests: a header and records laid out as
// a base file holds them.
#pragma once

#include <brenvald/DefinitionTable.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct BaseRecord {
    std::string Name;
    std::string Signature;
    char Kind;
    std::string Offset;
};

inline std::string BaseHeader(const std::string &text1, const std::string &text2,
                              const std::string &recordCount) {
    std::string header(brenvald::kHeaderSize, '\0');
    brenvald::WriteBaseHeader(reinterpret_cast<uint8_t *>(header.data()), text1, text2,
                              recordCount);
    return header;
}

inline std::string BaseRecordBytes(const BaseRecord &record) {
    std::string bytes(brenvald::kRecordSize, '\0');
    brenvald::WriteBaseRecord(reinterpret_cast<uint8_t *>(bytes.data()), record.Name,
                              record.Signature, record.Kind, record.Offset);
    return bytes;
}

// A base whose RecordCount says countText, carrying the given records.
inline std::string BaseContent(const std::string &countText, const std::vector<BaseRecord> &records,
                               const std::string &text1 = "Header one",
                               const std::string &text2 = "Header two") {
    std::string content = BaseHeader(text1, text2, countText);
    for (const BaseRecord &record : records)
        content += BaseRecordBytes(record);
    return content;
}

// Record i of a made-up base: every field differs from record to record.
inline BaseRecord SampleRecord(int i) {
    std::string n = std::to_string(i);
    return BaseRecord{"Spy.Sample." + n, "4d5a9000" + n + "ff", static_cast<char>('0' + i % 3),
                      std::to_string(i * 7)};
}

inline std::vector<BaseRecord> SampleRecords(int count, int first = 0) {
    std::vector<BaseRecord> records;
    for (int i = first; i < first + count; ++i)
        records.push_back(SampleRecord(i));
    return records;
}

} // namespace testsupport
