// Integer text of bases and the table (RecordCount, Offset). The parser must
// agree with a reference written another way, every value it gives must
// round-trip through its decimal text, and the tools' strict decimal form
// must name the same value.
#include "FuzzSupport.h"

#include "DefinitionList.h"
#include "HashList.h"
#include "IntegerText.h"

#include <cctype>
#include <optional>
#include <string>

using fuzzsupport::Require;

namespace {

// Leading blanks, a sign, a prefix ("$", "x", "X", "0x", "0X") choosing hex,
// then only digits of that radix, with at most 2^31 - 1 (2^31 when negative).
std::optional<int32_t> ReferenceParse(const std::string &text) {
    size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos)
        return std::nullopt;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-')
        negative = text[at++] == '-';
    int radix = 10;
    if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0) {
        radix = 16;
        at += 2;
    } else if (at < text.size() && (text[at] == '$' || text[at] == 'x' || text[at] == 'X')) {
        radix = 16;
        at += 1;
    }
    std::string digits = text.substr(at);
    if (digits.empty())
        return std::nullopt;
    for (char c : digits) {
        bool isDigit = radix == 10 ? std::isdigit(static_cast<unsigned char>(c)) != 0
                                   : std::isxdigit(static_cast<unsigned char>(c)) != 0;
        if (!isDigit)
            return std::nullopt;
    }
    // Leading zeros never change the value; past 10 significant digits it
    // is too big in either radix.
    size_t first = digits.find_first_not_of('0');
    std::string significant = first == std::string::npos ? "0" : digits.substr(first);
    if (significant.size() > 10)
        return std::nullopt;
    unsigned long long magnitude = std::stoull(significant, nullptr, radix);
    unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
    if (magnitude > limit)
        return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<long long>(magnitude)
                                         : static_cast<long long>(magnitude));
}

std::string NotInteger(const std::string &text) {
    return std::string(("'" + text + "' is not a valid integer value").c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 64)
        return 0;
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::optional<int32_t> parsed = brenvald::ParseInteger(text);
    Require(parsed == ReferenceParse(text), "the parser agrees with the reference");

    // The converter raises exactly when the parser fails, naming the text.
    std::string error;
    try {
        Require(brenvald::StrToInt(text) == parsed.value_or(0), "StrToInt gives the value");
    } catch (const brenvald::EConvertError &raised) {
        error = raised.what();
    }
    Require(error == (parsed ? "" : NotInteger(text)), "StrToInt fails with its text");

    if (parsed) {
        const std::string decimal = std::to_string(*parsed);
        Require(brenvald::ParseInteger(decimal) == parsed, "the decimal text gives the value back");
        Require(bvxtool::IsDecimalInt32(decimal), "the decimal text is the strict form");
    }
    if (bvxtool::IsDecimalInt32(text))
        Require(parsed && std::to_string(*parsed) == text, "the strict form is its value's text");

    // A file size's text is its low 32 bits read signed, and parses back.
    uint64_t fileSize = 0;
    for (size_t i = 0; i < size && i < 8; ++i)
        fileSize = fileSize << 8 | data[i];
    const std::string sizeText = bvxtool::SizeText(fileSize);
    Require(brenvald::ParseInteger(sizeText) ==
                static_cast<int32_t>(static_cast<uint32_t>(fileSize)),
            "a size text names the low 32 bits");
    Require(bvxtool::IsDecimalInt32(sizeText), "a size text is the strict form");
    return 0;
}
