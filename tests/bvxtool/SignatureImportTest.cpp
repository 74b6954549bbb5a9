// The import's pure readers: the database header, the tar archive, the gzip
// stream with its cap, the .ndb lines and the conversion of members into
// definitions. Runs under Wine and natively under the sanitizers.
#include "DatabaseHeader.h"
#include "GzipInflate.h"
#include "ImportError.h"
#include "NdbLine.h"
#include "SignatureDatabase.h"
#include "SignatureImport.h"
#include "TarArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <functional>
#include <string>
#include <vector>

using namespace bvxtool;
using testsupport::DatabaseFields;
using testsupport::MakeDatabaseFile;
using testsupport::MakeGzip;
using testsupport::MakeTarArchive;
using testsupport::TarEntry;

namespace {

const std::string kMd5 = "44d88612fea8a8f36de82e1278abb02f";

// The error text of a call that must throw ImportError; "" when it did not.
std::string ImportErrorOf(const std::function<void()> &call) {
    try {
        call();
    } catch (const ImportError &error) {
        return error.what();
    }
    return "";
}

// Stands in for the ANSI code page: anything but ASCII becomes "?".
bool AsciiSpeller(std::string &name) {
    bool exact = true;
    for (char &c : name)
        if (static_cast<unsigned char>(c) >= 0x80) {
            c = '?';
            exact = false;
        }
    return exact;
}

std::string Lines(const std::vector<Definition> &definitions) {
    std::string text;
    for (const Definition &definition : definitions)
        text += FormatDefinitionLine(definition) + "\n";
    return text;
}

std::string LeftOutText(const MemberReport &report) {
    std::string text;
    for (const auto &entry : report.leftOut)
        text += entry.first + "=" + std::to_string(entry.second) + ";";
    return text;
}

} // namespace

TEST(DatabaseHeader, ReadsEveryFieldStrictly) {
    const std::string good = MakeDatabaseFile("payload");
    DatabaseHeader header = ReadDatabaseHeader(good);
    EXPECT_EQ(header.name, "ClamAV-VDB");
    EXPECT_EQ(header.buildTime, "11 Dec 2026 03-00 +0000");
    EXPECT_EQ(header.version, 27000u);
    EXPECT_EQ(header.signatureCount, 12u);
    EXPECT_EQ(header.functionalityLevel, 90u);
    EXPECT_EQ(header.md5.size(), 32u);
    EXPECT_EQ(header.digitalSignature, "c2lnbmVkIGJ5IG5vYm9keQ");
    EXPECT_EQ(header.builder, "tester");

    struct Damage {
        const char *what;
        std::function<void(DatabaseFields &)> change;
        const char *error;
    };
    const Damage damages[] = {
        {"name", [](DatabaseFields &f) { f.name = "Other-VDB"; }, "does not start with"},
        {"build time", [](DatabaseFields &f) { f.buildTime = ""; }, "build time is empty"},
        {"version", [](DatabaseFields &f) { f.version = "27x"; }, "version is not a number"},
        {"big version", [](DatabaseFields &f) { f.version = "4294967296"; }, "version is too large"},
        {"count", [](DatabaseFields &f) { f.signatures = "-1"; }, "signature count is not"},
        {"level", [](DatabaseFields &f) { f.level = ""; }, "functionality level is not"},
        {"md5 case", [](DatabaseFields &f) { f.md5 = std::string(32, 'A'); }, "MD5 is not 32"},
        {"md5 length", [](DatabaseFields &f) { f.md5 = "abc"; }, "MD5 is not 32"},
        {"signature", [](DatabaseFields &f) { f.digitalSignature = ""; }, "digital signature is empty"},
        {"builder", [](DatabaseFields &f) { f.builder = ""; }, "builder is empty"},
        {"extra field", [](DatabaseFields &f) { f.builder = "a:b"; }, "expected 8 or 9 fields"},
        {"control byte", [](DatabaseFields &f) { f.builder = "a\tb"; }, "not plain text"},
    };
    for (const Damage &damage : damages) {
        DatabaseFields fields;
        damage.change(fields);
        std::string file = MakeDatabaseFile(fields, "payload");
        EXPECT_NE(ImportErrorOf([&] { ReadDatabaseHeader(file); }).find(damage.error),
                  std::string::npos)
            << damage.what;
    }
    EXPECT_NE(ImportErrorOf([&] { ReadDatabaseHeader(good.substr(0, 300)); }).find("shorter"),
              std::string::npos);
}

TEST(TarArchive, ReadsMembersAndRefusesEveryDamage) {
    const std::string archive = MakeTarArchive({{"a.hdb", "one\n"}, {"b.ndb", std::string(700, 'x')}, {"empty", ""}});
    std::vector<TarMember> members = ReadTarArchive(archive);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "a.hdb");
    EXPECT_EQ(members[0].content, "one\n");
    EXPECT_EQ(members[1].content, std::string(700, 'x'));
    EXPECT_EQ(members[2].content, "");
    // No zero block at the end: the archive ends with its bytes.
    EXPECT_EQ(ReadTarArchive(archive.substr(0, 512 * 6)).size(), 3u);

    std::string badSum = archive;
    badSum[0] = 'c';
    std::string huge = MakeTarArchive({{"a.hdb", "one\n"}});
    std::memcpy(&huge[124], "77777777777", 11);  // 8 GiB - 1
    std::string hugeSum;
    {
        // The same with its checksum right, so that only the size is wrong.
        unsigned long sum = 0;
        std::memset(&huge[148], ' ', 8);
        for (size_t i = 0; i < 512; ++i)
            sum += static_cast<unsigned char>(huge[i]);
        char text[8];
        std::snprintf(text, sizeof text, "%06lo", sum);
        std::memcpy(&huge[148], text, 7);
        hugeSum = huge;
    }
    struct Case {
        const char *what;
        std::string bytes;
        const char *error;
    };
    const Case cases[] = {
        {"checksum", badSum, "checksum does not match"},
        {"cut header", archive.substr(0, 1024 + 100), "cut inside a header"},
        {"cut data", archive.substr(0, 512 * 3 + 100), "larger than the rest of the archive"},
        {"member beyond the archive", hugeSum, "larger than the rest of the archive"},
        {"slash", MakeTarArchive({{"../x.hdb", "x"}}), "has a path in its name"},
        {"backslash", MakeTarArchive({{"a\\x.hdb", "x"}}), "has a path in its name"},
        {"drive", MakeTarArchive({{"C:x.hdb", "x"}}), "has a path in its name"},
        {"folder", MakeTarArchive({{"dir", "", '5'}}), "not a plain file"},
        {"link", MakeTarArchive({{"l.hdb", "", '2'}}), "not a plain file"},
    };
    for (const Case &c : cases)
        EXPECT_NE(ImportErrorOf([&] { ReadTarArchive(c.bytes); }).find(c.error), std::string::npos)
            << c.what << ": " << ImportErrorOf([&] { ReadTarArchive(c.bytes); });
}

TEST(GzipInflate, UnpacksAndRefusesBombsCutsAndDamage) {
    std::string plain;
    for (int i = 0; plain.size() < 300000; ++i)
        plain += std::to_string(i * 7919 % 10007) + ":line\n";
    const std::string packed = MakeGzip(plain);
    EXPECT_EQ(InflateGzip(packed), plain);
    EXPECT_EQ(InflateGzip(packed, plain.size()), plain);

    // A flipped byte in the data, and one in the CRC of the trailer.
    std::string damaged = packed;
    damaged[packed.size() / 2] ^= 0x55;
    std::string badCrc = packed;
    badCrc[packed.size() - 6] ^= 0x01;
    struct Case {
        const char *what;
        std::string bytes;
        size_t cap;
        const char *error;
    };
    const Case cases[] = {
        {"bomb", packed, plain.size() - 1, "refused as a gzip bomb"},
        {"cut", packed.substr(0, packed.size() - 20), kMaxUnpackedArchive, "cut short"},
        {"cut in the header", packed.substr(0, 5), kMaxUnpackedArchive, "cut short"},
        {"trailing bytes", packed + "xyz", kMaxUnpackedArchive, "bytes follow the gzip data"},
        {"damaged", damaged, kMaxUnpackedArchive, "damaged"},
        {"crc", badCrc, kMaxUnpackedArchive, "damaged"},
    };
    for (const Case &c : cases)
        EXPECT_NE(ImportErrorOf([&] { InflateGzip(c.bytes, c.cap); }).find(c.error),
                  std::string::npos)
            << c.what << ": " << ImportErrorOf([&] { InflateGzip(c.bytes, c.cap); });
}

TEST(NdbLine, ConvertsWhatADefinitionSaysExactly) {
    const std::string longBody(202, 'a');
    struct Case {
        std::string line;
        NdbVerdict verdict;
        std::string definition;  // the list line when converted
    };
    const Case cases[] = {
        {"Body.Any:0:*:4d5a9000", NdbVerdict::Converted, "1\tBody.Any\t4d5a9000\t0"},
        {"Body.Pe:1:*:DEADBEEF:51:255", NdbVerdict::Converted, "1\tBody.Pe\tDEADBEEF\t0"},
        {"Body.At:0:1024:41424344", NdbVerdict::Converted, "2\tBody.At\t65-66-67-68\t1024"},
        {"Body.Zero:1:0:ff00ff00:73", NdbVerdict::Converted, "2\tBody.Zero\t255-0-255-0\t0"},
        {"Body.Max:0:*:" + std::string(200, 'b'), NdbVerdict::Converted,
         "1\tBody.Max\t" + std::string(200, 'b') + "\t0"},
        {"Body.Long:0:*:" + longBody, NdbVerdict::LongBody, ""},
        {"Body.Elf:6:*:4d5a", NdbVerdict::OtherTarget, ""},
        {"Body.Ep:1:EP+0:4d5a", NdbVerdict::OtherOffset, ""},
        {"Body.Eof:0:EOF-10:4d5a", NdbVerdict::OtherOffset, ""},
        {"Body.Range:0:10,20:4d5a", NdbVerdict::OtherOffset, ""},
        {"Body.Zeros:0:007:41424344", NdbVerdict::OtherOffset, ""},
        {"Body.Big:0:2147483648:41424344", NdbVerdict::OtherOffset, ""},
        {"Body.Wild:0:*:4d5a??00", NdbVerdict::PatternBody, ""},
        {"Body.Nibble:0:*:4d5?", NdbVerdict::PatternBody, ""},
        {"Body.Gap:0:*:4d5a{2-4}00", NdbVerdict::PatternBody, ""},
        {"Body.Star:0:*:4d5a*00", NdbVerdict::PatternBody, ""},
        {"Body.Alt:0:*:4d(5a|5b)", NdbVerdict::PatternBody, ""},
        {"Body.Not:0:*:!(4d)", NdbVerdict::PatternBody, ""},
        {"Body.Near:0:*:4d[1-2]5a", NdbVerdict::PatternBody, ""},
        {"Body.Three:0:8:414243", NdbVerdict::OffsetBodySize, ""},
        {"Body.Five:0:8:4142434445", NdbVerdict::OffsetBodySize, ""},
        {"Body.Odd:0:*:4d5", NdbVerdict::Malformed, ""},
        {"Body.Blank:0:*:4d 5a", NdbVerdict::Malformed, ""},
        {"Body.Short:0:*", NdbVerdict::Malformed, ""},
        {"Body.Many:0:*:4d5a:1:2:3", NdbVerdict::Malformed, ""},
        {"Body.Level:0:*:4d5a:x", NdbVerdict::Malformed, ""},
        {":0:*:4d5a", NdbVerdict::Malformed, ""},
        {"Body.Target:x:*:4d5a", NdbVerdict::Malformed, ""},
    };
    for (const Case &c : cases) {
        Definition definition;
        NdbVerdict verdict = ConvertNdbLine(c.line, definition);
        EXPECT_EQ(verdict, c.verdict) << c.line;
        if (verdict == NdbVerdict::Converted) {
            EXPECT_EQ(FormatDefinitionLine(definition), c.definition);
            EXPECT_EQ(DefinitionProblem(definition), "") << c.line;
        }
    }
}

TEST(SignatureImport, ConvertsMembersAndCountsWhatIsLeftOut) {
    const std::string longName(120, 'N');
    const std::vector<TarEntry> entries = {
        {"daily.info", "DAILY:27000:12\n"},
        {"daily.hdb", kMd5 + ":68:Hash.One\n" + kMd5 + ":68:Hash.One\n" + kMd5 + ":*:Hash.Any\n" +
                          std::string(40, 'a') + ":5:Hash.Sha1\n" + kMd5 + ":9:Hash.Ignored\n" +
                          kMd5 + ":10:" + longName + "\n" + kMd5 + ":11:Hash.\xC3\xA9t\xC3\xA9\n" +
                          "garbage\n"},
        {"daily.hsb", std::string(64, 'b') + ":5:Sha256.One\n" + kMd5 + ":12:Hash.In.Hsb\n"},
        {"daily.ndb", "# body signatures\n"
                      "Body.One:0:*:4d5a9000\r\n"
                      "Body.At:1:60:50450000\n"
                      "Body.Wild:0:*:4d5a??\n"
                      "Body.Ep:1:EP+0:4d5a\n"
                      "Body.Ign:0:*:abcd\n"
                      "Body.One:0:*:4d5a9000\n"
                      "Body.Tab:0:*:ab\tcd\n"},
        {"daily.ldb", "Logical.One;Engine:51-255,Target:1;0;4d5a\nLogical.Two;x;0;00\n"},
        {"daily.ign2", "Hash.Ignored\nBody.Ign:0123456789abcdef0123456789abcdef\n"},
        {"COPYING", "licence text\n"},
    };
    const std::string tar = MakeTarArchive(entries);
    std::vector<TarMember> members = ReadTarArchive(tar);
    ImportResult result = ConvertMembers(members, {"Hash.In.Hsb"}, AsciiSpeller);

    EXPECT_EQ(Lines(result.definitions),
              "0\tHash.One\t" + kMd5 + ":68\t0\n"
              "0\t" + std::string(100, 'N') + "\t" + kMd5 + ":10\t0\n"
              "0\tHash.??t??\t" + kMd5 + ":11\t0\n"
              "1\tBody.One\t4d5a9000\t0\n"
              "2\tBody.At\t80-69-0-0\t60\n");
    EXPECT_EQ(result.repeats, 2u);
    EXPECT_EQ(result.ignored, 3u);
    EXPECT_EQ(result.ignoreListNames, 3u);
    EXPECT_EQ(result.respelledNames, 1u);

    ASSERT_EQ(result.members.size(), entries.size());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"daily.info", ""},
        {"daily.hdb", "size * (any size)=1;SHA1 hash=1;malformed line=1;named by an ignore list=1;"},
        {"daily.hsb", "SHA256 hash=1;named by an ignore list=1;"},
        {"daily.ndb", "body with wildcards or alternatives=1;offset other than * or an absolute "
                      "number=1;named by an ignore list=1;malformed line=1;"},
        {"daily.ldb", "logical signatures=2;"},
        {"daily.ign2", ""},
        {"COPYING", ""},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(result.members[i].member, expected[i].first);
        EXPECT_EQ(LeftOutText(result.members[i]), expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(result.members[0].passedOver, "the database's own index");
    EXPECT_EQ(result.members[5].passedOver, "an ignore list of 2 names");
    EXPECT_EQ(result.members[6].passedOver, "not a signature list");
    // The repeats are counted once in the whole result, after the members.
    EXPECT_EQ(result.members[1].converted, 4u);
    EXPECT_EQ(result.members[3].converted, 3u);
}

TEST(SignatureImport, ReadsDatabaseFilesByTheirBytes) {
    const std::string tar = MakeTarArchive({{"x.hdb", kMd5 + ":3:Hash.X\n"}});
    const std::string cvd = MakeDatabaseFile(MakeGzip(tar));
    DatabaseFile compressed = ReadDatabaseFile("x.cvd", cvd);
    ASSERT_TRUE(compressed.header);
    EXPECT_TRUE(compressed.md5Matches);
    EXPECT_TRUE(compressed.compressed);
    ASSERT_EQ(compressed.members.size(), 1u);
    EXPECT_EQ(compressed.members[0].name, "x.hdb");

    // A plain archive with the header's MD5 of its compressed form is read,
    // with a note; a compressed one whose MD5 differs is damaged.
    DatabaseFields stale;
    stale.md5 = kMd5;
    DatabaseFile cld = ReadDatabaseFile("x.cld", MakeDatabaseFile(stale, tar));
    EXPECT_FALSE(cld.md5Matches);
    EXPECT_FALSE(cld.compressed);
    EXPECT_NE(cld.md5Note, "");
    EXPECT_EQ(cld.members.size(), 1u);
    EXPECT_TRUE(ReadDatabaseFile("x.cld", MakeDatabaseFile(tar)).md5Matches);

    // Named .cld but compressed, named .cvd but plain: the bytes decide.
    EXPECT_TRUE(ReadDatabaseFile("x.cld", cvd).compressed);
    EXPECT_FALSE(ReadDatabaseFile("x.cvd", MakeDatabaseFile(tar)).compressed);

    std::string flipped = cvd;
    flipped[flipped.size() - 3] ^= 1;
    struct Case {
        const char *what;
        std::string bytes;
        const char *error;
    };
    const Case cases[] = {
        {"MD5", MakeDatabaseFile(stale, MakeGzip(tar)), "MD5 in the header does not match"},
        {"flipped byte", flipped, "MD5 in the header does not match"},
        {"cut", cvd.substr(0, cvd.size() - 10), "MD5 in the header does not match"},
        {"neither", MakeDatabaseFile("plain text after the header"), "neither gzip"},
        {"gzip of no tar", MakeDatabaseFile(MakeGzip("not a tar")), "not a tar archive"},
        {"cut tar in gzip", MakeDatabaseFile(MakeGzip(tar.substr(0, 530))), "larger than the rest"},
        {"header", "ClamAV-VDB:" + std::string(100, 'x'), "database header is damaged"},
    };
    for (const Case &c : cases)
        EXPECT_NE(ImportErrorOf([&] { ReadDatabaseFile("d.cvd", c.bytes); }).find(c.error),
                  std::string::npos)
            << c.what << ": " << ImportErrorOf([&] { ReadDatabaseFile("d.cvd", c.bytes); });

    // No header: a bare archive, or one loose list named after the file.
    EXPECT_EQ(ReadDatabaseFile("x.tar.gz", MakeGzip(tar)).members.size(), 1u);
    DatabaseFile loose = ReadDatabaseFile("C:\\lists\\own.ndb", "Body:0:*:4d5a\n");
    ASSERT_EQ(loose.members.size(), 1u);
    EXPECT_EQ(loose.members[0].name, "own.ndb");
    EXPECT_FALSE(loose.header);
}
