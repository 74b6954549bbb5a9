// `bvxtool import` run in-process on database files made at test time: the
// bases it writes, the summary, and that nothing is written on a failure.
#include "InProcessRun.h"

#include "SignatureDatabase.h"
#include "TempDir.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

const std::string kMd5 = "900150983cd24fb0d6963f7d28e17f72";

const std::string kHdb = kMd5 + ":3:Hash.Abc\n" + kMd5 + ":3:Hash.Abc\n" + kMd5 + ":*:Hash.Any\n" +
                         kMd5 + ":4:Hash.Ignored\n";
const std::string kNdb = "Body.Pat:0:*:504154\nBody.Off:1:2:66868821\nBody.Wild:0:*:50??54\n";
const std::string kIgn2 = "Hash.Ignored\n";

std::string Archive() {
    return MakeTarArchive({{"daily.info", "DAILY\n"}, {"daily.hdb", kHdb}, {"daily.ndb", kNdb},
                           {"daily.ign2", kIgn2}, {"daily.ldb", "Logical;x;0;00\n"}});
}

const char kExpectedList[] = "0\tHash.Abc\t900150983cd24fb0d6963f7d28e17f72:3\t0\n"
                             "1\tBody.Pat\t504154\t0\n"
                             "2\tBody.Off\t102-134-136-33\t2\n";

// The definition lines of a base, as `bvxtool list` prints them.
std::string DefinitionLines(const std::string &base) {
    ToolResult listed = RunInProcess({"list", base});
    EXPECT_EQ(listed.status, 0) << listed.err;
    std::string lines;
    size_t start = 0;
    while (start < listed.out.size()) {
        size_t end = listed.out.find('\n', start);
        std::string line = listed.out.substr(start, end - start + 1);
        if (line[0] != '#')
            lines += line;
        start = end + 1;
    }
    return lines;
}

// The names of the files in a folder.
std::vector<std::string> FilesIn(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

} // namespace

TEST(ImportCommand, WritesOneBasePerInputWithTheSummary) {
    TempDir dir;
    MakeDir(dir.file("Bases"));
    const std::string out = dir.file("Bases");
    WriteFile(dir.file("daily.cvd"), MakeDatabaseFile(MakeGzip(Archive())));
    WriteFile(dir.file("main.cld"), MakeDatabaseFile(Archive()));
    WriteFile(dir.file("own.ndb"), "Own.Body:0:*:4142\nHash.Ignored:0:*:4344\n");
    WriteFile(dir.file("extra.ign2"), "Body.Pat\n");
    // An older base of the same name is replaced.
    WriteFile(dir.file("Bases\\daily.bvx"), "old");

    ToolResult result = RunInProcess({"import", "--out", out, dir.file("daily.cvd"),
                                      dir.file("main.cld"), dir.file("own.ndb")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(DefinitionLines(out + "\\daily.bvx"), kExpectedList);
    EXPECT_EQ(DefinitionLines(out + "\\main.bvx"), kExpectedList);
    EXPECT_EQ(DefinitionLines(out + "\\own.bvx"), "1\tOwn.Body\t4142\t0\n1\tHash.Ignored\t4344\t0\n");

    const std::vector<std::string> expectedLines = {
        "  name: ClamAV-VDB\n",
        "  build time: 11 Dec 2026 03-00 +0000\n",
        "  version: 27000\n",
        "  signatures: 12\n",
        "  functionality level: 90\n",
        " (matches the rest of the file)\n",
        "  digital signature: not checked\n",
        "  builder: tester\n",
        "  daily.info: passed over (the database's own index)\n",
        "  daily.hdb: 2 converted, 2 left out (size * (any size): 1, named by an ignore list: 1)\n",
        "  daily.ndb: 2 converted, 1 left out (body with wildcards or alternatives: 1)\n",
        "  daily.ign2: passed over (an ignore list of 1 name)\n",
        "  daily.ldb: 0 converted, 1 left out (logical signatures: 1)\n",
        "  exact repeats left out: 1\n",
        "daily.bvx: 3 definitions (kind 0: 1, kind 1: 1, kind 2: 1)\n",
        "own.bvx: 2 definitions (kind 0: 0, kind 1: 2, kind 2: 0)\n",
        "3 bases written to ",
    };
    for (const std::string &line : expectedLines)
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;

    // A loose ignore list leaves its names out of every other input.
    ToolResult ignoring =
        RunInProcess({"import", "--out", out, dir.file("extra.ign2"), dir.file("daily.cvd")});
    ASSERT_EQ(ignoring.status, 0) << ignoring.err;
    EXPECT_NE(ignoring.out.find("extra.ign2: an ignore list of 1 name\n"), std::string::npos);
    EXPECT_EQ(DefinitionLines(out + "\\daily.bvx"),
              "0\tHash.Abc\t900150983cd24fb0d6963f7d28e17f72:3\t0\n"
              "2\tBody.Off\t102-134-136-33\t2\n");

    // The base loads as the scanner loads it.
    ToolResult checked = RunInProcess({"check", out + "\\main.bvx"});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("3 records: 1 of kind 0, 1 of kind 1, 1 of kind 2"), std::string::npos)
        << checked.out;
}

TEST(ImportCommand, WritesNothingWhenAnyInputIsDamaged) {
    const std::string archive = Archive();
    std::string badChecksum = archive;
    badChecksum[512 * 2 + 3] ^= 0x20;  // the name in daily.hdb's header
    const std::string hugeMember = MakeTarArchive({{"a.hdb", std::string(2000, 'x')}}).substr(0, 1536);
    DatabaseFields stale;
    stale.md5 = std::string(32, '0');
    // A stream that unpacks to more than the import takes.
    const std::string bomb = MakeGzipOfZeros(size_t{513} << 20);
    struct Case {
        const char *what;
        std::string bytes;
        const char *error;
    };
    const std::vector<Case> cases = {
        {"MD5", MakeDatabaseFile(stale, MakeGzip(archive)), "MD5 in the header does not match"},
        {"header", "ClamAV-VDB:x:y" + std::string(600, ' '), "database header is damaged"},
        {"cut", MakeDatabaseFile(archive.substr(0, 512 * 3 + 10)), "larger than the rest"},
        {"member larger than the archive", MakeDatabaseFile(hugeMember), "larger than the rest"},
        {"checksum", MakeDatabaseFile(badChecksum), "checksum does not match"},
        {"path in a name", MakeDatabaseFile(MakeTarArchive({{"..\\evil.hdb", kHdb}})),
         "has a path in its name"},
        {"gzip bomb", MakeDatabaseFile(bomb), "gzip bomb"},
        {"damaged gzip", MakeGzip(archive).substr(0, 40), "cut short"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        MakeDir(dir.file("Bases"));
        WriteFile(dir.file("Bases\\bad.bvx"), "the user's own file");
        WriteFile(dir.file("good.cvd"), MakeDatabaseFile(MakeGzip(archive)));
        WriteFile(dir.file("bad.cvd"), c.bytes);
        ToolResult result = RunInProcess(
            {"import", "--out", dir.file("Bases"), dir.file("good.cvd"), dir.file("bad.cvd")});
        EXPECT_EQ(result.status, 2) << c.what;
        EXPECT_NE(result.err.find("bad.cvd: not imported: "), std::string::npos) << c.what << result.err;
        EXPECT_NE(result.err.find(c.error), std::string::npos) << c.what << ": " << result.err;
        EXPECT_NE(result.err.find("nothing written"), std::string::npos) << c.what;
        // Neither base nor a temporary file: only what was there.
        EXPECT_EQ(FilesIn(dir.file("Bases\\")), std::vector<std::string>{"bad.bvx"}) << c.what;
        EXPECT_EQ(ReadFile(dir.file("Bases\\bad.bvx")), "the user's own file") << c.what;
    }
}

TEST(ImportCommand, RefusesBadCallsAndWritesNothing) {
    TempDir dir;
    WriteFile(dir.file("a.cvd"), MakeDatabaseFile(MakeGzip(Archive())));
    struct Case {
        std::vector<std::string> commandLine;
        const char *error;
    };
    const std::vector<Case> cases = {
        {{"import"}, "import needs at least one signature file"},
        {{"import", "--out"}, "--out needs a folder"},
        {{"import", "--out", dir.file("none"), dir.file("a.cvd")}, "no such folder"},
        {{"import", "--out", dir.path(), dir.file("missing.cvd")}, "cannot read the file"},
        {{"import", "--out", dir.path(), dir.file("a.cvd"), dir.file("A.cvd")}, "makes the same base"},
    };
    for (const Case &c : cases) {
        ToolResult result = RunInProcess(c.commandLine);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    }
    EXPECT_FALSE(FileExists(dir.file("a.bvx")));
}

TEST(ImportCommand, WarnsWhenTheBasesPassTheTable) {
    TempDir dir;
    MakeDir(dir.file("Bases"));
    MakeDir(dir.file("Bases\\more"));
    // A base whose header announces 1,000,006 records: only its header is read.
    std::string content(brenvald::kHeaderSize, '\0');
    brenvald::WriteCountedText(reinterpret_cast<uint8_t *>(&content[brenvald::kRecordCountOffset]),
                               brenvald::kRecordCountCapacity, "1000005");
    WriteFile(dir.file("big.plain"), content);
    ToolResult packed = RunInProcess({"pack", dir.file("big.plain"), dir.file("Bases\\more\\big.bvx")});
    ASSERT_EQ(packed.status, 0) << packed.err;
    WriteFile(dir.file("daily.cvd"), MakeDatabaseFile(MakeGzip(Archive())));

    ToolResult result = RunInProcess({"import", "--out", dir.file("Bases"), dir.file("daily.cvd")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("hold 1000009 records, more than the table's 1000001 slots: the "
                              "scanner will not use 8 of them"),
              std::string::npos)
        << result.err;

    // Without the big base there is room: no warning.
    testsupport::RemoveTree(dir.file("Bases\\more"));
    result = RunInProcess({"import", "--out", dir.file("Bases"), dir.file("daily.cvd")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
}
