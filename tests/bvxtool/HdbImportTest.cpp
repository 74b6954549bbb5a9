#include "HashList.h"

#include <gtest/gtest.h>

#include <string>

using namespace bvxtool;

namespace {

std::string Lines(const HdbConversion &conversion) {
    std::string text;
    for (const Definition &definition : conversion.definitions)
        text += FormatDefinitionLine(definition) + "\n";
    return text;
}

const std::string kMd5Upper = "44D88612FEA8A8F36DE82E1278ABB02F";
const std::string kMd5Lower = "44d88612fea8a8f36de82e1278abb02f";

} // namespace

TEST(HdbImport, ConvertsEntriesByTheRules) {
    const std::string longName(130, 'L');
    std::string hdb = "\xEF\xBB\xBF" + kMd5Upper + ":68:Upper.Case.Hash\r\n" +
                      kMd5Lower + ":3221225472:Three.GiB\n" +
                      kMd5Lower + ":2147483647:Largest.Positive\n" +
                      kMd5Lower + ":4294967295:All.Bits\n" +
                      kMd5Lower + ":4294967301:Beyond.Four.GiB\n" +
                      kMd5Lower + ":12:" + longName + "\n" +
                      kMd5Lower + ":12:With.Level:73:\n";
    HdbConversion conversion = ConvertHdb(hdb);
    EXPECT_EQ(Lines(conversion),
              "0\tUpper.Case.Hash\t" + kMd5Lower + ":68\t0\n" +
              "0\tThree.GiB\t" + kMd5Lower + ":-1073741824\t0\n" +
              "0\tLargest.Positive\t" + kMd5Lower + ":2147483647\t0\n" +
              "0\tAll.Bits\t" + kMd5Lower + ":-1\t0\n" +
              "0\tBeyond.Four.GiB\t" + kMd5Lower + ":5\t0\n" +
              "0\t" + std::string(100, 'L') + "\t" + kMd5Lower + ":12\t0\n" +
              "0\tWith.Level\t" + kMd5Lower + ":12\t0\n");
    EXPECT_EQ(conversion.skips.Total(), 0u);
}

TEST(HdbImport, SkipsAndCountsWhatAFingerprintCannotSay) {
    std::string hdb = "# a comment\n\n" +
                      kMd5Lower + ":*:Any.Size\n" +
                      kMd5Lower + ":*:Any.Size.Again\n" +
                      std::string(40, 'a') + ":100:Sha1.Entry\n" +
                      std::string(64, 'B') + ":100:Sha256.Entry\n" +
                      kMd5Lower + ":0:Empty.File\n" +
                      kMd5Lower + ":00:Empty.Again\n" +
                      kMd5Lower + ":12:Good\n" +
                      "nothex" + kMd5Lower.substr(6) + ":12:Bad.Hash\n" +
                      kMd5Lower + ":-5:Negative\n" +
                      kMd5Lower + ":12:\n" +
                      "just text\n";
    HdbConversion conversion = ConvertHdb(hdb);
    EXPECT_EQ(Lines(conversion), "0\tGood\t" + kMd5Lower + ":12\t0\n");
    EXPECT_EQ(conversion.skips.starSize, 2u);
    EXPECT_EQ(conversion.skips.sha1, 1u);
    EXPECT_EQ(conversion.skips.sha256, 1u);
    EXPECT_EQ(conversion.skips.zeroSize, 2u);
    EXPECT_EQ(conversion.skips.malformed, 4u);
    ASSERT_EQ(conversion.malformedLines.size(), 4u);
    EXPECT_EQ(conversion.malformedLines[0].line, 10u);
    EXPECT_EQ(conversion.malformedLines[2].reason, "name is empty");
    EXPECT_EQ(conversion.malformedLines[3].line, 13u);
    EXPECT_EQ(HdbSummary(conversion),
              "1 converted, 10 skipped (size \"*\": 2, 40-digit hash: 1, 64-digit hash: 1, "
              "size 0: 2, malformed: 4)");
}

TEST(HdbImport, SizeTextsAreTheSignedLow32Bits) {
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(2147483648u), "-2147483648");
    EXPECT_EQ(SizeText(3221225472u), "-1073741824");
    EXPECT_EQ(SizeText(4294967296ull + 7), "7");
}
