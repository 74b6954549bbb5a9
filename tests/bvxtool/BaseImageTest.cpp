#include "BaseImage.h"

#include <brenvald/DefinitionTable.h>

#include <gtest/gtest.h>

#include <string>

using namespace bvxtool;

namespace {

DefinitionList SampleList() {
    DefinitionList list;
    list.header1 = "Header one";
    list.header2 = "Header two";
    list.definitions = {{'0', "Finger", "900150983cd24fb0d6963f7d28e17f72:3", "0"},
                        {'1', "Pattern", "4D 5A", "0"},
                        {'2', "Offset", "77-90-144-0", "60"}};
    return list;
}

std::string_view FieldAt(const std::string &content, size_t position, size_t capacity) {
    return brenvald::ReadCountedText(reinterpret_cast<const uint8_t *>(content.data()) + position,
                                     capacity);
}

bool HasWarning(const DecodedBase &base, const std::string &part) {
    for (const std::string &warning : base.warnings)
        if (warning.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(BaseImage, LaysOutHeaderAndRecordsWithKindBeforeOffset) {
    std::string content = EncodeBase(SampleList());
    ASSERT_EQ(content.size(), 213u + 3 * 314u);
    EXPECT_EQ(FieldAt(content, 0, 100), "Header one");
    EXPECT_EQ(FieldAt(content, 101, 100), "Header two");
    EXPECT_EQ(FieldAt(content, 202, 10), "2"); // the index of the last record
    const size_t third = 213 + 2 * 314;
    EXPECT_EQ(FieldAt(content, third, 100), "Offset");
    EXPECT_EQ(FieldAt(content, third + 101, 200), "77-90-144-0");
    EXPECT_EQ(content[third + 302], '2');
    EXPECT_EQ(FieldAt(content, third + 303, 10), "60");
    // Unused field bytes are zero, so equal lists give equal bytes.
    EXPECT_EQ(content[third + 1 + 6], '\0');
    EXPECT_EQ(content.back(), '\0');
}

TEST(BaseImage, AnEmptyListCountsMinusOne) {
    std::string content = EncodeBase(DefinitionList());
    ASSERT_EQ(content.size(), 213u);
    EXPECT_EQ(FieldAt(content, 202, 10), "-1");
    DecodedBase base = DecodeBase(content);
    EXPECT_TRUE(base.list.definitions.empty());
    EXPECT_TRUE(base.warnings.empty());
}

TEST(BaseImage, DecodesWhatItEncodesWithoutWarnings) {
    DecodedBase base = DecodeBase(EncodeBase(SampleList()));
    EXPECT_TRUE(base.warnings.empty());
    EXPECT_EQ(base.list.header1, "Header one");
    ASSERT_EQ(base.list.definitions.size(), 3u);
    EXPECT_EQ(base.list.definitions[2].kind, '2');
    EXPECT_EQ(base.list.definitions[2].offset, "60");
    EXPECT_EQ(EncodeBase(base.list), EncodeBase(SampleList()));
}

TEST(BaseImage, RefusesContentThatIsNoBase) {
    EXPECT_THROW(DecodeBase(std::string(212, '\0')), BaseError);
    std::string content = EncodeBase(SampleList());
    content[202] = 2;
    content[203] = '1';
    content[204] = 'z';
    EXPECT_THROW(DecodeBase(content), BaseError);
}

TEST(BaseImage, WarnsAboutWhatAListCannotRebuild) {
    const std::string good = EncodeBase(SampleList());

    DecodedBase cut = DecodeBase(good.substr(0, good.size() - 1));
    EXPECT_EQ(cut.list.definitions.size(), 2u);
    EXPECT_TRUE(HasWarning(cut, "announces 3 records but only 2 are complete"));

    std::string badKind = good;
    badKind[213 + 302] = '7';
    EXPECT_TRUE(HasWarning(DecodeBase(badKind), "record 1 (Finger): kind must be 0, 1 or 2"));

    std::string longName = good;
    longName[213 + 314] = static_cast<char>(200);
    DecodedBase longBase = DecodeBase(longName);
    EXPECT_EQ(longBase.list.definitions[1].name.size(), 100u);
    EXPECT_TRUE(HasWarning(longBase, "record 2 name: length byte 200 exceeds"));

    std::string junk = good;
    junk[213 + 314 + 50] = 'j'; // inside the unused part of a name
    EXPECT_TRUE(HasWarning(DecodeBase(junk), "bytes that a list does not keep"));

    EXPECT_TRUE(HasWarning(DecodeBase(good + "x"), "bytes that a list does not keep"));

    std::string plusCount = good;
    plusCount[202] = 2;
    plusCount[203] = '+';
    plusCount[204] = '2';
    DecodedBase plus = DecodeBase(plusCount);
    EXPECT_EQ(plus.list.definitions.size(), 3u);
    EXPECT_TRUE(HasWarning(plus, "a count in another form"));
}

TEST(BaseImage, ANegativeCountHoldsNoRecord) {
    std::string content = EncodeBase(SampleList());
    content[202] = 2;
    content[203] = '-';
    content[204] = '5';
    DecodedBase base = DecodeBase(content);
    EXPECT_TRUE(base.list.definitions.empty());
}
