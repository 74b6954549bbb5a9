#include "GradientBands.h"

#include <gtest/gtest.h>

#include <climits>

using gradient::Band;
using gradient::GradientBands;
using gradient::MulDiv;
using gradient::Rgb;
using gradient::TFillDirection;

namespace {

const Rgb kBlue{0, 0, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kHeadingGreen{85, 151, 36};
const Rgb kPureGreen{0, 255, 0};
const Rgb kMaroon{128, 0, 0};
const Rgb kLightRed{255, 102, 102};

// The band edges along the gradient's axis: first edge of band 0, then the
// far edge of every band.
std::vector<int> Edges(const std::vector<Band> &bands, bool vertical) {
    std::vector<int> edges;
    if (bands.empty())
        return edges;
    edges.push_back(vertical ? bands.front().top : bands.front().left);
    for (const Band &band : bands)
        edges.push_back(vertical ? band.bottom : band.right);
    return edges;
}

void ExpectContiguous(const std::vector<Band> &bands, bool vertical, int width, int height) {
    for (size_t i = 0; i < bands.size(); ++i) {
        const Band &band = bands[i];
        if (vertical) {
            EXPECT_EQ(band.left, 0);
            EXPECT_EQ(band.right, width);
            if (i > 0) {
                EXPECT_EQ(band.top, bands[i - 1].bottom) << "band " << i;
            }
        } else {
            EXPECT_EQ(band.top, 0);
            EXPECT_EQ(band.bottom, height);
            if (i > 0) {
                EXPECT_EQ(band.left, bands[i - 1].right) << "band " << i;
            }
        }
    }
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(vertical ? bands.front().top : bands.front().left, 0);
    EXPECT_EQ(vertical ? bands.back().bottom : bands.back().right, vertical ? height : width);
}

} // namespace

TEST(MulDivTest, RoundsToNearestWithHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(1, -1, 2), -1);
    EXPECT_EQ(MulDiv(1, 1, -2), -1);
    EXPECT_EQ(MulDiv(-1, -1, -2), -1);
    EXPECT_EQ(MulDiv(3, 2, 4), 2);
    EXPECT_EQ(MulDiv(1, 4, 3), 1);
    EXPECT_EQ(MulDiv(2, 4, 3), 3);
    EXPECT_EQ(MulDiv(1, -85, 63), -1);
    EXPECT_EQ(MulDiv(1, -36, 63), -1);
}

TEST(MulDivTest, NoOverflowInTheProductAndMinusOneOnFailure) {
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
}

TEST(GradientBandsTest, ZeroBandsPaintNothing) {
    for (auto direction : {TFillDirection::fdTopToBottom, TFillDirection::fdBottomToTop,
                           TFillDirection::fdLeftToRight, TFillDirection::fdRightToLeft})
        EXPECT_TRUE(GradientBands(kBlue, kBlack, 0, direction, 362, 24).empty());
}

TEST(GradientBandsTest, OneBandFillsTheStripWithTheStartColour) {
    struct Case {
        TFillDirection direction;
        Rgb expected;
    } cases[] = {{TFillDirection::fdTopToBottom, kBlue},
                 {TFillDirection::fdLeftToRight, kBlue},
                 {TFillDirection::fdBottomToTop, kBlack},
                 {TFillDirection::fdRightToLeft, kBlack}};
    for (const Case &c : cases) {
        auto bands = GradientBands(kBlue, kBlack, 1, c.direction, 362, 24);
        ASSERT_EQ(bands.size(), 1u);
        EXPECT_EQ(bands[0].left, 0);
        EXPECT_EQ(bands[0].top, 0);
        EXPECT_EQ(bands[0].right, 362);
        EXPECT_EQ(bands[0].bottom, 24);
        EXPECT_TRUE(bands[0].colour == c.expected) << static_cast<int>(c.direction);
    }
}

TEST(GradientBandsTest, TwoBandsSplitTheStripAndCarryBothEndColours) {
    auto down = GradientBands(kBlue, kBlack, 2, TFillDirection::fdTopToBottom, 362, 25);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(Edges(down, true), (std::vector<int>{0, 13, 25}));  // 12.5 rounds up
    EXPECT_TRUE(down[0].colour == kBlue);
    EXPECT_TRUE(down[1].colour == kBlack);

    auto up = GradientBands(kBlue, kBlack, 2, TFillDirection::fdBottomToTop, 362, 25);
    EXPECT_EQ(Edges(up, true), (std::vector<int>{0, 13, 25}));
    EXPECT_TRUE(up[0].colour == kBlack);  // band 0 stays at the top
    EXPECT_TRUE(up[1].colour == kBlue);

    auto right = GradientBands(kBlue, kBlack, 2, TFillDirection::fdLeftToRight, 361, 24);
    EXPECT_EQ(Edges(right, false), (std::vector<int>{0, 181, 361}));
    EXPECT_TRUE(right[0].colour == kBlue);

    auto left = GradientBands(kBlue, kBlack, 2, TFillDirection::fdRightToLeft, 361, 24);
    EXPECT_EQ(Edges(left, false), (std::vector<int>{0, 181, 361}));
    EXPECT_TRUE(left[0].colour == kBlack);  // band 0 stays at the left
    EXPECT_TRUE(left[1].colour == kBlue);
}

TEST(GradientBandsTest, EdgesAreRoundedNotTruncated) {
    auto bands = GradientBands(kBlue, kBlack, 4, TFillDirection::fdLeftToRight, 10, 5);
    EXPECT_EQ(Edges(bands, false), (std::vector<int>{0, 3, 5, 8, 10}));
}

TEST(GradientBandsTest, SixtyFourGreenBandsAcrossAHeadingStrip) {
    auto bands = GradientBands(kHeadingGreen, kPureGreen, 64, TFillDirection::fdLeftToRight, 362, 24);
    ASSERT_EQ(bands.size(), 64u);
    ExpectContiguous(bands, false, 362, 24);
    // 362 / 64 = 5.65625 columns per band.
    EXPECT_EQ(bands[0].right, 6);
    EXPECT_EQ(bands[1].right, 11);
    EXPECT_EQ(bands[31].left, 175);  // 175.34
    EXPECT_EQ(bands[63].left, 356);  // 356.34
    EXPECT_TRUE(bands[0].colour == kHeadingGreen);
    EXPECT_TRUE((bands[1].colour == Rgb{84, 153, 35}));
    EXPECT_TRUE((bands[32].colour == Rgb{42, 204, 18}));  // 85-43.17, 151+52.83, 36-18.29
    EXPECT_TRUE(bands[63].colour == kPureGreen);
}

TEST(GradientBandsTest, SixtyFourBandsInEveryDirectionCoverTheStrip) {
    for (auto direction : {TFillDirection::fdTopToBottom, TFillDirection::fdBottomToTop}) {
        auto bands = GradientBands(kMaroon, kLightRed, 64, direction, 362, 24);
        ASSERT_EQ(bands.size(), 64u);
        ExpectContiguous(bands, true, 362, 24);
        // 24 rows for 64 bands: many bands are empty, none is negative.
        for (const Band &band : bands)
            EXPECT_LE(band.top, band.bottom);
        EXPECT_EQ(bands[1].bottom, 1);  // 0.75 rounds to 1
        EXPECT_EQ(bands[2].bottom, 1);  // 1.125 rounds to 1
    }
    auto right = GradientBands(kMaroon, kLightRed, 64, TFillDirection::fdRightToLeft, 362, 24);
    ExpectContiguous(right, false, 362, 24);
    EXPECT_TRUE(right[0].colour == kLightRed);
    EXPECT_TRUE(right[63].colour == kMaroon);
    auto down = GradientBands(kMaroon, kLightRed, 64, TFillDirection::fdTopToBottom, 362, 24);
    EXPECT_TRUE(down[0].colour == kMaroon);
    EXPECT_TRUE(down[63].colour == kLightRed);
    EXPECT_TRUE((down[21].colour == Rgb{170, 34, 34}));  // 128+42.33, 34, 34
}
