#include "HashList.h"

#include <brenvald/DefinitionTable.h>

#include <algorithm>

namespace bvxtool {

namespace {

enum class EntryResult { Converted, StarSize, Sha1, Sha256, ZeroSize, Malformed };

bool IsHex(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return !text.empty();
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char &c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lowered;
}

// Decimal digits into a 64-bit number; false when not a number or too big.
bool ParseSize(std::string_view text, uint64_t &size) {
    if (text.empty() || text.size() > 19)
        return false;
    size = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        size = size * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

class HdbConverter {
public:
    void ConvertLine(std::string_view line, size_t lineNumber) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#')
            return;
        std::string reason;
        switch (ConvertEntry(line, reason)) {
        case EntryResult::Converted: break;
        case EntryResult::StarSize: ++result_.skips.starSize; break;
        case EntryResult::Sha1: ++result_.skips.sha1; break;
        case EntryResult::Sha256: ++result_.skips.sha256; break;
        case EntryResult::ZeroSize: ++result_.skips.zeroSize; break;
        case EntryResult::Malformed:
            ++result_.skips.malformed;
            result_.malformedLines.push_back({lineNumber, reason});
            break;
        }
    }

    void Reserve(size_t lines) { result_.definitions.reserve(lines); }
    HdbConversion Take() { return std::move(result_); }

private:
    EntryResult ConvertEntry(std::string_view line, std::string &reason) {
        size_t firstColon = line.find(':');
        size_t secondColon =
            firstColon == std::string_view::npos ? firstColon : line.find(':', firstColon + 1);
        if (secondColon == std::string_view::npos) {
            reason = "not of the form hash:size:name";
            return EntryResult::Malformed;
        }
        std::string_view hash = line.substr(0, firstColon);
        std::string_view sizeText = line.substr(firstColon + 1, secondColon - firstColon - 1);
        std::string_view name = line.substr(secondColon + 1);
        name = name.substr(0, name.find(':'));

        if (!IsHex(hash) || (hash.size() != 32 && hash.size() != 40 && hash.size() != 64)) {
            reason = "the hash is not 32, 40 or 64 hex digits";
            return EntryResult::Malformed;
        }
        if (hash.size() == 40)
            return EntryResult::Sha1;
        if (hash.size() == 64)
            return EntryResult::Sha256;
        if (sizeText == "*")
            return EntryResult::StarSize;
        uint64_t size = 0;
        if (!ParseSize(sizeText, size)) {
            reason = "the size \"" + std::string(sizeText) + "\" is not a number";
            return EntryResult::Malformed;
        }
        if (size == 0)
            return EntryResult::ZeroSize;

        Definition definition;
        definition.kind = '0';
        definition.name = std::string(name.substr(0, brenvald::kNameCapacity));
        definition.signature = Lowered(hash) + ":" + SizeText(size);
        reason = DefinitionProblem(definition);
        if (!reason.empty())
            return EntryResult::Malformed;
        result_.definitions.push_back(std::move(definition));
        return EntryResult::Converted;
    }

    HdbConversion result_;
};

} // namespace

std::string SizeText(uint64_t size) {
    return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(size)));
}

HdbConversion ConvertHdb(std::string_view text) {
    HdbConverter converter;
    // At most one definition a line: a list of a million lines is not
    // moved about as it grows.
    converter.Reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    ForEachTextLine(text,
                    [&](std::string_view line, size_t number) { converter.ConvertLine(line, number); });
    return converter.Take();
}

std::string HdbSummary(const HdbConversion &conversion) {
    const HdbSkips &skips = conversion.skips;
    return std::to_string(conversion.definitions.size()) + " converted, " +
           std::to_string(skips.Total()) + " skipped (size \"*\": " +
           std::to_string(skips.starSize) + ", 40-digit hash: " + std::to_string(skips.sha1) +
           ", 64-digit hash: " + std::to_string(skips.sha256) +
           ", size 0: " + std::to_string(skips.zeroSize) +
           ", malformed: " + std::to_string(skips.malformed) + ")";
}

} // namespace bvxtool
