// The string value layout and the reference the library holds during a call.
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>

using brenvald::StringValue;
using brenvald::StringValueHold;

TEST(StringValue, HeaderCarriesCountAndLength) {
    StringValue text("abc");
    const int32_t *header = reinterpret_cast<const int32_t *>(text.get()) - 2;
    EXPECT_EQ(header[0], 1);
    EXPECT_EQ(header[1], 3);
    EXPECT_STREQ(text.get(), "abc");
    EXPECT_EQ(StringValue("x", true).refCount(), -1);
}

TEST(StringValue, HoldAddsOneAndGivesItBack) {
    StringValue text("path");
    {
        StringValueHold hold(text.get());
        EXPECT_EQ(text.refCount(), 2);
        EXPECT_EQ(hold.view(), "path");
    }
    EXPECT_EQ(text.refCount(), 1);
}

TEST(StringValue, ConstantsAndNullAreLeftAlone) {
    StringValue constant("c", true);
    {
        StringValueHold hold(constant.get());
        EXPECT_EQ(constant.refCount(), -1);
    }
    EXPECT_EQ(constant.refCount(), -1);
    StringValueHold none(nullptr);
    EXPECT_TRUE(none.view().empty());
}

TEST(StringValue, LengthComesFromTheHeader) {
    // The callee may take the length from the header: embedded zero bytes
    // count, and a damaged negative length reads as empty.
    StringValue text(std::string_view("a\0b", 3));
    EXPECT_EQ(StringValueHold(text.get()).view().size(), 3u);
    reinterpret_cast<int32_t *>(text.get())[-1] = -5;
    EXPECT_TRUE(StringValueHold(text.get()).view().empty());
}
