#include "DisplayScale.h"

#include <gtest/gtest.h>

#include <vector>

using display::ArtworkLength;
using display::ArtworkScaleIndex;
using display::DisplayScale;
using display::MinimumClient;
using display::NearestArtworkScale;
using display::RowFromRight;

TEST(DisplayScaleTest, LengthsAndFontHeightsScaleWithTheDpiRoundedToNearest) {
    struct Row {
        int dpi;
        int design;
        int scaled;
        int eightPoint;
    } const rows[] = {
        {96, 534, 534, 11},  {120, 534, 668, 13}, {144, 534, 801, 16},
        {168, 27, 47, 19},   {192, 334, 668, 21}, {144, 1, 2, 16},
        {120, 3, 4, 13},     {96, 0, 0, 11},      {144, -7, -11, 16},
    };
    for (const Row &row : rows) {
        const DisplayScale scale(row.dpi);
        EXPECT_EQ(scale.Px(row.design), row.scaled) << row.dpi << " dpi, " << row.design;
        EXPECT_EQ(scale.FontHeight(8), row.eightPoint) << row.dpi << " dpi";
    }
    // No DPI (a failed query) is taken as 100 %, never as a zero scale.
    EXPECT_EQ(DisplayScale(0).Px(115), 115);
    EXPECT_EQ(DisplayScale(-144).dpi(), 96);
}

TEST(DisplayScaleTest, FittedKeepsTheDesignUnlessTheTextNeedsMore) {
    const DisplayScale scale(192);
    EXPECT_EQ(scale.Fitted(27, 20, 10), 54);  // the scaled design wins
    EXPECT_EQ(scale.Fitted(27, 40, 10), 60);  // a tall bitmap font wins
    EXPECT_EQ(DisplayScale(96).Fitted(16, 13, 3), 16);
    EXPECT_EQ(DisplayScale(96).Fitted(16, 14, 3), 17);
}

TEST(DisplayScaleTest, TheNearestDrawnArtworkIsPicked) {
    struct Row {
        int dpi;
        int percent;
    } const rows[] = {
        {96, 100}, {72, 100}, {107, 100}, {108, 100}, {109, 125}, {120, 125}, {144, 150},
        {156, 150}, {168, 175}, {192, 200}, {240, 200}, {0, 100},
    };
    for (const Row &row : rows)
        EXPECT_EQ(NearestArtworkScale(row.dpi), row.percent) << row.dpi << " dpi";
    EXPECT_EQ(ArtworkScaleIndex(96), 0);
    EXPECT_EQ(ArtworkScaleIndex(192), 4);
    // The sizes the artwork script draws: 16-pixel glyphs, 32-pixel icons,
    // the 94 x 68 logo.
    EXPECT_EQ(ArtworkLength(16, 96), 16);
    EXPECT_EQ(ArtworkLength(16, 120), 20);
    EXPECT_EQ(ArtworkLength(16, 144), 24);
    EXPECT_EQ(ArtworkLength(16, 168), 28);
    EXPECT_EQ(ArtworkLength(32, 192), 64);
    EXPECT_EQ(ArtworkLength(94, 120), 118);
    EXPECT_EQ(ArtworkLength(68, 168), 119);
}

TEST(DisplayScaleTest, ARowFromTheRightLeavesTheGapsAndNeverOverlaps) {
    EXPECT_EQ(RowFromRight({112, 112, 112}, 405, 6), (std::vector<int>{293, 175, 57}));
    EXPECT_EQ(RowFromRight({150, 112}, 405, 6), (std::vector<int>{255, 137}));
    EXPECT_TRUE(RowFromRight({}, 405, 6).empty());
    const std::vector<int> widths{90, 130, 70};
    const std::vector<int> lefts = RowFromRight(widths, 800, 12);
    for (size_t index = 1; index < widths.size(); ++index)
        EXPECT_EQ(lefts[index] + widths[index] + 12, lefts[index - 1]);
}

TEST(DisplayScaleTest, TheMinimumClientIsTheScaledDesignOrTheContent) {
    const auto atDesign = MinimumClient(DisplayScale(144), 534, 334, 700, 400);
    EXPECT_EQ(atDesign.width, 801);
    EXPECT_EQ(atDesign.height, 501);
    const auto grown = MinimumClient(DisplayScale(144), 534, 334, 820, 530);
    EXPECT_EQ(grown.width, 820);
    EXPECT_EQ(grown.height, 530);
}
