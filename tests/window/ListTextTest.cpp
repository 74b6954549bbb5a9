#include "ListText.h"

#include <gtest/gtest.h>

#include <climits>

using window::CopyLine;
using window::CopyText;
using window::RowsToCopy;
using window::TColumnFit;

TEST(ListTextTest, CopyTakesTheSelectedRowsInListOrderOrElseAll) {
    struct Case {
        int rowCount;
        std::vector<int> selected;
        std::vector<int> expected;
    } const cases[] = {
        {3, {}, {0, 1, 2}},
        {3, {1}, {1}},
        {5, {4, 0, 2}, {0, 2, 4}},
        {5, {2, 2}, {2}},
        // A row that has gone since the selection was read is not copied;
        // when none of the selected rows is left, the whole list is.
        {2, {1, 7, -1}, {1}},
        {2, {7}, {0, 1}},
        {0, {}, {}},
        {0, {0}, {}},
    };
    for (const Case &row : cases)
        EXPECT_EQ(RowsToCopy(row.rowCount, row.selected), row.expected)
            << row.rowCount << " rows, " << row.selected.size() << " selected";
}

TEST(ListTextTest, EveryRowIsOneLineWithItsColumnsJoinedByTabs) {
    EXPECT_EQ(CopyText({}), L"");
    EXPECT_EQ(CopyText({{L"Scan Complete"}}), L"Scan Complete\r\n");
    EXPECT_EQ(CopyText({{L""}, {L"a"}}), L"\r\na\r\n");
    EXPECT_EQ(CopyText({{L"C:\\Tools\\spy.exe", L"INFECTED(907).Vir", L"", L"14:37 06.12.26"}}),
              L"C:\\Tools\\spy.exe\tINFECTED(907).Vir\t\t14:37 06.12.26\r\n");
    // Real names stay as they are, whatever their script.
    EXPECT_EQ(CopyLine({L"D:\\\u0444\u0430\u0439\u043b\\\u6587\u4ef6.exe"}),
              L"D:\\\u0444\u0430\u0439\u043b\\\u6587\u4ef6.exe");
}

TEST(ListTextTest, TabsAndLineBreaksInsideATextBecomeBlanks) {
    EXPECT_EQ(CopyLine({L"a\tb", L"c\r\nd", L"\n"}), L"a b\tc  d\t ");
    EXPECT_EQ(CopyText({{L"Found infection in [x] - [Bad\rName]"}}),
              L"Found infection in [x] - [Bad Name]\r\n");
}

TEST(ListTextTest, ColumnGrowsInStepsWithTheWidestLineOnly) {
    TColumnFit fit;
    EXPECT_EQ(fit.ColumnWidth(395, 30), 395) << "an empty list fills its width";
    EXPECT_TRUE(fit.Note(1));
    EXPECT_EQ(fit.Widest(), TColumnFit::Step);
    EXPECT_FALSE(fit.Note(TColumnFit::Step)) << "fits the step already taken";
    EXPECT_FALSE(fit.Note(0));
    EXPECT_FALSE(fit.Note(-5)) << "a failed measure changes nothing";
    EXPECT_TRUE(fit.Note(TColumnFit::Step + 1));
    EXPECT_EQ(fit.Widest(), 2 * TColumnFit::Step);
    EXPECT_TRUE(fit.Note(600));
    EXPECT_FALSE(fit.Note(100)) << "a shorter line never narrows the column";
    EXPECT_EQ(fit.Widest(), 608);
    EXPECT_EQ(fit.ColumnWidth(395, 30), 638);
    EXPECT_EQ(fit.ColumnWidth(800, 30), 800) << "never narrower than the list";
    EXPECT_EQ(fit.ColumnWidth(395, -10), 608);
    fit.Clear();
    EXPECT_EQ(fit.Widest(), 0);
    EXPECT_EQ(fit.ColumnWidth(395, 30), 395);
}

TEST(ListTextTest, ColumnWidthStopsAtWhatAListViewTakes) {
    TColumnFit fit;
    EXPECT_TRUE(fit.Note(TColumnFit::MaxWidth - 3));
    EXPECT_EQ(fit.Widest(), TColumnFit::MaxWidth);
    EXPECT_FALSE(fit.Note(INT_MAX)) << "no growth past the limit";
    EXPECT_EQ(fit.Widest(), TColumnFit::MaxWidth);
    EXPECT_EQ(fit.ColumnWidth(395, 40), TColumnFit::MaxWidth);
    EXPECT_EQ(fit.ColumnWidth(INT_MAX, INT_MAX), TColumnFit::MaxWidth);
}
