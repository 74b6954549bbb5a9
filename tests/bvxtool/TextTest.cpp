// Count lines and the reading of mixed UTF-8 and ANSI output text.
#include "ReportText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bvxtool;

TEST(OutputText, CountsTakeTheSingularForOneOnly) {
    const struct {
        int64_t count;
        const char *text;
    } cases[] = {{0, "0 records"}, {1, "1 record"}, {2, "2 records"}, {-1, "-1 records"},
                 {1000001, "1000001 records"}};
    for (const auto &c : cases)
        EXPECT_EQ(Counted(c.count, "record", "records"), c.text);
}

TEST(OutputText, Utf8SequencesAreWellFormedOnly) {
    const struct {
        std::string bytes;
        size_t length;
    } cases[] = {
        {"A", 1},
        {"\xD0\xB6", 2},              // Cyrillic zhe
        {"\xE6\x9C\xA8", 3},          // CJK
        {"\xF0\x9F\x98\x88", 4},      // an emoji, beyond the 16-bit plane
        {"\xEF\xBF\xBF", 3},          // U+FFFF
        {"\xF4\x8F\xBF\xBF", 4},      // U+10FFFF, the last code point
        {"\xC0\x80", 0},              // overlong NUL
        {"\xC1\xBF", 0},              // overlong
        {"\xE0\x80\x80", 0},          // overlong three-byte form
        {"\xF0\x80\x80\x80", 0},      // overlong four-byte form
        {"\xED\xA0\x80", 0},          // a surrogate
        {"\xF4\x90\x80\x80", 0},      // above U+10FFFF
        {"\xF5\x80\x80\x80", 0},
        {"\x80", 0},                  // a lone continuation byte
        {"\xE9", 0},                  // ANSI e-acute
        {"\xE6\x9C", 0},              // cut short
        {"\xD0\x41", 0},              // no continuation
        {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Utf8SequenceLength(c.bytes), c.length) << testing::PrintToString(c.bytes);
}

TEST(OutputText, AMixedLineSplitsIntoUtf8AndAnsiRuns) {
    // A UTF-8 path from the walk and a definition name in ANSI (cp1251 "Тест").
    const std::string line = "Found [C:\\\xD1\x88.exe] - [\xD2\xE5\xF1\xF2]\n";
    const std::vector<TextRun> runs = SplitTextRuns(line);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[0].utf8);
    EXPECT_EQ(runs[0].bytes, "Found [C:\\\xD1\x88.exe] - [");
    EXPECT_FALSE(runs[1].utf8);
    EXPECT_EQ(runs[1].bytes, "\xD2\xE5\xF1\xF2");
    EXPECT_TRUE(runs[2].utf8);
    EXPECT_EQ(runs[2].bytes, "]\n");

    EXPECT_TRUE(SplitTextRuns("").empty());
    // Every byte lands in exactly one run.
    const std::string noise = "\xFF\xF0\x9F\x98\x88\x80" "a\xC3";
    std::string joined;
    for (const TextRun &run : SplitTextRuns(noise))
        joined += run.bytes;
    EXPECT_EQ(joined, noise);
}
