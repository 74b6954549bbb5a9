#include "DatabaseHeader.h"

#include "ImportError.h"

#include <vector>

namespace bvxtool {

namespace {

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos)
            return fields;
        start = colon + 1;
    }
}

[[noreturn]] void Damaged(const std::string &why) {
    throw ImportError("the database header is damaged: " + why);
}

// Decimal digits that fit 32 bits, without sign or blanks.
uint32_t Number(std::string_view text, const char *field) {
    if (text.empty() || text.size() > 10)
        Damaged(std::string("the ") + field + " is not a number");
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            Damaged(std::string("the ") + field + " is not a number");
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX)
        Damaged(std::string("the ") + field + " is too large");
    return static_cast<uint32_t>(value);
}

bool IsLowerHex(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Printable ASCII without the field separator.
bool IsPlainText(std::string_view text) {
    for (char c : text)
        if (c < ' ' || c > '~')
            return false;
    return true;
}

} // namespace

bool StartsAsDatabaseHeader(std::string_view bytes) {
    return bytes.size() > kDatabaseMagic.size() &&
           bytes.substr(0, kDatabaseMagic.size()) == kDatabaseMagic &&
           bytes[kDatabaseMagic.size()] == ':';
}

DatabaseHeader ReadDatabaseHeader(std::string_view bytes) {
    if (bytes.size() < kDatabaseHeaderSize)
        Damaged("the file is shorter than its 512-byte header");
    std::string_view text = bytes.substr(0, kDatabaseHeaderSize);
    // The fields end where the blank padding begins.
    size_t end = text.find_last_not_of(' ');
    text = text.substr(0, end == std::string_view::npos ? 0 : end + 1);
    if (!IsPlainText(text))
        Damaged("it holds bytes that are not plain text");
    std::vector<std::string_view> fields = SplitColons(text);
    // Eight fields, and a ninth (the signing time) in newer files.
    if (fields.size() < 8 || fields.size() > 9)
        Damaged("expected 8 or 9 fields separated by \":\", found " + std::to_string(fields.size()));
    if (fields[0] != kDatabaseMagic)
        Damaged("it does not start with \"" + std::string(kDatabaseMagic) + "\"");
    DatabaseHeader header;
    header.name = std::string(fields[0]);
    if (fields[1].empty())
        Damaged("the build time is empty");
    header.buildTime = std::string(fields[1]);
    header.version = Number(fields[2], "version");
    header.signatureCount = Number(fields[3], "signature count");
    header.functionalityLevel = Number(fields[4], "functionality level");
    if (fields[5].size() != 32 || !IsLowerHex(fields[5]))
        Damaged("the MD5 is not 32 lower-case hex digits");
    header.md5 = std::string(fields[5]);
    if (fields[6].empty())
        Damaged("the digital signature is empty");
    header.digitalSignature = std::string(fields[6]);
    if (fields[7].empty())
        Damaged("the builder is empty");
    header.builder = std::string(fields[7]);
    if (fields.size() == 9)
        Number(fields[8], "signing time");
    return header;
}

} // namespace bvxtool
