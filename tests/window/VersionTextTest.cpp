#include "VersionText.h"

#include <gtest/gtest.h>

using window::FirstLine;
using window::VersionCaption;

TEST(VersionTextTest, OnlyTheFirstLineCountsWhateverEndsIt) {
    EXPECT_EQ(VersionCaption("1.0"), "Version 1.0");
    EXPECT_EQ(VersionCaption("1.0\r\n"), "Version 1.0");
    EXPECT_EQ(VersionCaption("1.0\r\nbuild 7\r\n"), "Version 1.0");
    EXPECT_EQ(VersionCaption("2.5\nsecond"), "Version 2.5");
    EXPECT_EQ(VersionCaption("3.1\rsecond"), "Version 3.1");
}

TEST(VersionTextTest, EmptyFirstLinesAndBlanksStayAsWritten) {
    EXPECT_EQ(VersionCaption(""), "Version ");
    EXPECT_EQ(VersionCaption("\r\n1.0"), "Version ");
    EXPECT_EQ(FirstLine(" 1.0 beta \n"), " 1.0 beta ");
}
