#include "ReportText.h"

namespace bvxtool {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

std::string Counted(int64_t count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

std::string UnusedOffsetsText(int64_t count) {
    return Counted(count, "definition", "definitions") +
           " of kind 2 with an Offset that is not an integer, never used by the scan";
}

size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    // The range the first continuation byte must lie in: it excludes
    // overlong forms, surrogates and code points above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(text[i])))
            return 0;
    return length;
}

std::vector<TextRun> SplitTextRuns(std::string_view text) {
    std::vector<TextRun> runs;
    while (!text.empty()) {
        const size_t sequence = Utf8SequenceLength(text);
        const bool utf8 = sequence > 0;
        const size_t taken = utf8 ? sequence : 1;
        if (runs.empty() || runs.back().utf8 != utf8)
            runs.push_back({utf8, {}});
        runs.back().bytes.append(text.substr(0, taken));
        text.remove_prefix(taken);
    }
    return runs;
}

} // namespace bvxtool
