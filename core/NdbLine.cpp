#include "NdbLine.h"

#include <brenvald/DefinitionTable.h>

#include <vector>

namespace bvxtool {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The characters that make a body a pattern rather than plain bytes.
bool HasPatternSyntax(std::string_view body) {
    return body.find_first_of("?*{}()|![]") != std::string_view::npos;
}

bool IsPlainHex(std::string_view body) {
    if (body.empty() || body.size() % 2 != 0)
        return false;
    for (char c : body)
        if (!IsHexDigit(c))
            return false;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// An absolute offset: decimal digits without a leading zero that fit a
// non-negative 32-bit integer, the Offset field's form.
bool IsAbsoluteOffset(std::string_view offset) {
    if (!IsDigits(offset) || offset.size() > 10 || (offset.size() > 1 && offset[0] == '0'))
        return false;
    uint64_t value = 0;
    for (char c : offset)
        value = value * 10 + static_cast<uint64_t>(c - '0');
    return value <= INT32_MAX;
}

// "77-90-144-0" for the body "4d5a9000".
std::string OffsetSignatureText(std::string_view body) {
    std::string text;
    for (size_t i = 0; i < body.size(); i += 2) {
        if (!text.empty())
            text += '-';
        text += std::to_string(HexValue(body[i]) * 16 + HexValue(body[i + 1]));
    }
    return text;
}

} // namespace

bool SplitNdbLine(std::string_view line, NdbLine &fields) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t colon = line.find(':', start);
        parts.push_back(line.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos || parts.size() > 6)
            break;
        start = colon + 1;
    }
    if (parts.size() < 4 || parts.size() > 6)
        return false;
    for (size_t i = 4; i < parts.size(); ++i)
        if (!parts[i].empty() && !IsDigits(parts[i]))
            return false;
    fields = {parts[0], parts[1], parts[2], parts[3]};
    return !fields.name.empty() && !fields.target.empty() && !fields.offset.empty() &&
           !fields.body.empty();
}

NdbVerdict ConvertNdbLine(std::string_view line, Definition &definition) {
    NdbLine fields;
    if (!SplitNdbLine(line, fields) || !IsDigits(fields.target))
        return NdbVerdict::Malformed;
    if (fields.target != "0" && fields.target != "1")
        return NdbVerdict::OtherTarget;
    const bool anywhere = fields.offset == "*";
    if (!anywhere && !IsAbsoluteOffset(fields.offset))
        return NdbVerdict::OtherOffset;
    if (HasPatternSyntax(fields.body))
        return NdbVerdict::PatternBody;
    if (!IsPlainHex(fields.body))
        return NdbVerdict::Malformed;
    definition.name = std::string(fields.name);
    if (anywhere) {
        if (fields.body.size() > brenvald::kSignatureCapacity)
            return NdbVerdict::LongBody;
        definition.kind = brenvald::kKindHexSignature;
        definition.signature = std::string(fields.body);
        definition.offset = "0";
    } else {
        if (fields.body.size() != 8)
            return NdbVerdict::OffsetBodySize;
        definition.kind = brenvald::kKindOffsetSignature;
        definition.signature = OffsetSignatureText(fields.body);
        definition.offset = std::string(fields.offset);
    }
    return NdbVerdict::Converted;
}

const char *NdbVerdictText(NdbVerdict verdict) {
    switch (verdict) {
    case NdbVerdict::Converted: return "converted";
    case NdbVerdict::Malformed: return "malformed line";
    case NdbVerdict::OtherTarget: return "target type other than 0 or 1";
    case NdbVerdict::OtherOffset: return "offset other than * or an absolute number";
    case NdbVerdict::PatternBody: return "body with wildcards or alternatives";
    case NdbVerdict::LongBody: return "body longer than 100 bytes";
    case NdbVerdict::OffsetBodySize: return "absolute offset with a body other than 4 bytes";
    }
    return "";
}

} // namespace bvxtool
