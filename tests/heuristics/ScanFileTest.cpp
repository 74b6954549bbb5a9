// Scores of real files through the export, with keywords matched exactly as
// written.
#include "SignatureSearch.h"
#include "TempDir.h"

#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>

using brenvald::StringValue;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Filler that holds no keyword and no part of one.
std::string Filler(size_t length) { return std::string(length, '.'); }

double ScoreOfContent(const TempDir &dir, const std::string &content) {
    const std::string path = dir.file("sample.bin");
    WriteFile(path, content);
    StringValue pathValue(path);
    return ScanAI(pathValue.get());
}

TEST(ScanAI, FileWithoutKeywordsScoresZero) {
    TempDir dir;
    EXPECT_EQ(ScoreOfContent(dir, Filler(20000)), 0.0);
    EXPECT_EQ(ScoreOfContent(dir, ""), 0.0);
}

TEST(ScanAI, WormAloneScoresOne) {
    TempDir dir;
    EXPECT_EQ(ScoreOfContent(dir, Filler(100) + "Worm" + Filler(100)), 1.0);
}

TEST(ScanAI, VirusBringsVirWithIt) {
    TempDir dir;
    const double score = ScoreOfContent(dir, "Virus");
    EXPECT_DOUBLE_EQ(score, (0.37 + 9 + 0.37) / 0.37);
    EXPECT_NEAR(score, 26.324, 0.001);
}

TEST(ScanAI, HeavilyNegativeKeyword) {
    TempDir dir;
    const double score = ScoreOfContent(dir, "xx Velmorandi118335 xx");
    EXPECT_DOUBLE_EQ(score, (0.37 - 104) / 0.37);
    EXPECT_NEAR(score, -280.081, 0.001);
}

TEST(ScanAI, RepeatedKeywordCountsOnce) {
    TempDir dir;
    EXPECT_EQ(ScoreOfContent(dir, "Worm Worm Worm"), 1.0);
}

TEST(ScanAI, ContainedKeywordsCountToo) {
    TempDir dir;
    EXPECT_EQ(ScoreOfContent(dir, "Infected"), 2.0);
    EXPECT_EQ(ScoreOfContent(dir, "DOS Attack"), 2.0);
    EXPECT_EQ(ScoreOfContent(dir, "Flooder Killer"), 4.0);
}

// Letter case is part of each keyword: "Antivirus" does not contain "Virus"
// or "Vir", and lower- or upper-case forms match nothing.
TEST(ScanAI, KeywordsMatchExactly) {
    TempDir dir;
    EXPECT_EQ(ScoreOfContent(dir, "virus VIRUS worm WORM trojan"), 0.0);
    EXPECT_NEAR(ScoreOfContent(dir, "Antivirus"), (0.37 - 4 + 0.37 - 4) / 0.37, 1e-9);
    EXPECT_EQ(ScoreOfContent(dir, "Keyboard,Disable SwapMouseButton"), 0.0);
    EXPECT_EQ(ScoreOfContent(dir, "keyboard,disable swapmousebutton"), 2.0);
}

TEST(ScanAI, KeywordSplitOverAReadBorderIsFound) {
    TempDir dir;
    const std::string keyword = "Velmorandi118335";
    const double expected = (0.37 - 104) / 0.37;
    for (size_t before = 1; before < keyword.size(); ++before) {
        std::string content = Filler(8192 - before) + keyword + Filler(100);
        EXPECT_DOUBLE_EQ(ScoreOfContent(dir, content), expected) << before;
    }
    for (size_t before : {size_t(1), size_t(8), keyword.size() - 1}) {
        std::string content = Filler(kernel::kSearchReadSize - before) + keyword;
        EXPECT_DOUBLE_EQ(ScoreOfContent(dir, content), expected) << before;
    }
}

TEST(ScanAI, UnreadablePathsScoreZero) {
    TempDir dir;
    StringValue missing(dir.file("missing.bin"));
    EXPECT_EQ(ScanAI(missing.get()), 0.0);
    StringValue folder(dir.path());
    EXPECT_EQ(ScanAI(folder.get()), 0.0);
    StringValue empty("");
    EXPECT_EQ(ScanAI(empty.get()), 0.0);
    EXPECT_EQ(ScanAI(nullptr), 0.0);
}

TEST(ScanAI, PathReferenceCountIsUnchanged) {
    TempDir dir;
    WriteFile(dir.file("worm.txt"), "Worm");
    StringValue counted(dir.file("worm.txt"));
    EXPECT_EQ(ScanAI(counted.get()), 1.0);
    EXPECT_EQ(counted.refCount(), 1);
    StringValue constant(dir.file("worm.txt"), true);
    EXPECT_EQ(ScanAI(constant.get()), 1.0);
    EXPECT_EQ(constant.refCount(), -1);
}

} // namespace
