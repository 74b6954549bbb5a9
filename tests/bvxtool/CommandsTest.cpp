// The commands run in-process against Kernel.dll, on files in a fresh folder.
#include "InProcessRun.h"

#include "TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace bvxtool;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const std::string kAbcFingerprint = "900150983cd24fb0d6963f7d28e17f72:3";

const std::string kList = "# every kind once\n"
                          "#header1 Test header one\n"
                          "#header2 Test header two\n"
                          "0\tAbc.File\t" + kAbcFingerprint + "\n"
                          "1\tPat.Pattern\t50 41 54\t0\n"
                          "2\tBvx.Offset\t66-86-88-33\t0\n";

} // namespace

TEST(Commands, MakeThenListThenMakeGivesTheSameBytes) {
    TempDir dir;
    WriteFile(dir.file("a.list"), kList);
    ToolResult made = RunInProcess({"make", dir.file("a.list"), dir.file("a.bvx")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(ReadFile(dir.file("a.bvx")).substr(0, 4), "BZh9");

    ToolResult listed = RunInProcess({"list", dir.file("a.bvx")});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(listed.out, "#header1 Test header one\n#header2 Test header two\n# count 3\n"
                          "0\tAbc.File\t" + kAbcFingerprint + "\t0\n"
                          "1\tPat.Pattern\t50 41 54\t0\n"
                          "2\tBvx.Offset\t66-86-88-33\t0\n");

    WriteFile(dir.file("b.list"), listed.out);
    ASSERT_EQ(RunInProcess({"make", dir.file("b.list"), dir.file("b.bvx")}).status, 0);
    EXPECT_EQ(ReadFile(dir.file("a.bvx")), ReadFile(dir.file("b.bvx")));
}

TEST(Commands, ABadLineGivesItsMessageAndNoFile) {
    TempDir dir;
    WriteFile(dir.file("bad.list"), kList + "1\tWild\t4D ?? 5A\t0\n");
    ToolResult result = RunInProcess({"make", dir.file("bad.list"), dir.file("out.bvx")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, dir.file("bad.list") +
                              ":7: kind 1 signature may hold only hex digits and blanks, not '?'\n");
    EXPECT_FALSE(FileExists(dir.file("out.bvx")));

    // An existing base is left as it was.
    WriteFile(dir.file("old.bvx"), "old");
    WriteFile(dir.file("bad2.list"), "2\tShort\t1-2-3\t0\n");
    EXPECT_EQ(RunInProcess({"make", dir.file("bad2.list"), dir.file("old.bvx")}).status, 2);
    EXPECT_EQ(ReadFile(dir.file("old.bvx")), "old");

    // A header with a CR inside would make a base that list warns about.
    WriteFile(dir.file("cr.list"), "#header1 a\rb\r\n" + kList.substr(kList.find('\n') + 1));
    result = RunInProcess({"make", dir.file("cr.list"), dir.file("cr.bvx")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, dir.file("cr.list") + ":1: header text holds a line break\n");
    EXPECT_FALSE(FileExists(dir.file("cr.bvx")));
}

TEST(Commands, MakeReportsFilesItCannotUse) {
    TempDir dir;
    ToolResult missing = RunInProcess({"make", dir.file("none.list"), dir.file("out.bvx")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    WriteFile(dir.file("a.list"), kList);
    ToolResult noFolder = RunInProcess({"make", dir.file("a.list"), dir.file("no\\such\\out.bvx")});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_FALSE(FileExists(dir.file("no\\such\\out.bvx")));
}

TEST(Commands, ListWarnsAboutRecordsMakeWouldRefuse) {
    TempDir dir;
    // A plain base with one record of kind "7", packed as it is.
    std::string plain(213 + 314, '\0');
    plain[202] = 1;
    plain[203] = '0';
    plain[213] = 4;
    plain.replace(214, 4, "Odd!");
    plain[213 + 302] = '7';
    WriteFile(dir.file("odd.plain"), plain);
    ASSERT_EQ(RunInProcess({"pack", dir.file("odd.plain"), dir.file("odd.bvx")}).status, 0);
    ToolResult listed = RunInProcess({"list", dir.file("odd.bvx")});
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("7\tOdd!\t\t"), std::string::npos);
    EXPECT_NE(listed.err.find("warning: record 1 (Odd!): kind must be 0, 1 or 2"),
              std::string::npos);
}

TEST(Commands, ListRefusesWhatIsNoBase) {
    TempDir dir;
    WriteFile(dir.file("plain.bvx"), "not compressed at all");
    ToolResult plain = RunInProcess({"list", dir.file("plain.bvx")});
    EXPECT_EQ(plain.status, 2);
    EXPECT_EQ(plain.err, dir.file("plain.bvx") + ": not a definition base (not bzip2 data)\n");
    EXPECT_EQ(plain.out, "");
    EXPECT_EQ(RunInProcess({"list", dir.file("missing.bvx")}).status, 2);

    // The other container failures say what they mean and keep the code.
    WriteFile(dir.file("t.list"), kList);
    ASSERT_EQ(RunInProcess({"make", dir.file("t.list"), dir.file("t.bvx")}).status, 0);
    const std::string packed = ReadFile(dir.file("t.bvx"));
    std::string damaged = packed;
    damaged[11] ^= 0x01; // the block's stored CRC
    const struct {
        std::string content, message;
    } cases[] = {
        {damaged, "the compressed data is damaged (bzip2 error -4)"},
        {packed + packed, "data follows the end of its compressed data (bzip2 error -1)"},
        // Cut inside its only block: nothing comes out.
        {packed.substr(0, 30), "the content is 0 bytes, shorter than a base header (213)"},
    };
    for (const auto &c : cases) {
        WriteFile(dir.file("bad.bvx"), c.content);
        ToolResult listed = RunInProcess({"list", dir.file("bad.bvx")});
        EXPECT_EQ(listed.status, 2);
        EXPECT_EQ(listed.err, dir.file("bad.bvx") + ": " + c.message + "\n");
    }
}

TEST(Commands, PackAndUnpackRoundTrip) {
    TempDir dir;
    const char raw[] = "any bytes\0\x01\xff at all";
    std::string content(raw, sizeof raw - 1);
    WriteFile(dir.file("x.plain"), content);
    ASSERT_EQ(RunInProcess({"pack", dir.file("x.plain"), dir.file("x.bvx")}).status, 0);
    ASSERT_EQ(RunInProcess({"unpack", dir.file("x.bvx"), dir.file("y.plain")}).status, 0);
    EXPECT_EQ(ReadFile(dir.file("y.plain")), content);
    ToolResult bad = RunInProcess({"unpack", dir.file("x.plain"), dir.file("z.plain")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "unpack: error -5\n");
}

TEST(Commands, FingerprintPrintsAKindZeroLinePerFile) {
    TempDir dir;
    WriteFile(dir.file("abc.txt"), "abc");
    WriteFile(dir.file("empty.bin"), "");
    ToolResult result = RunInProcess({"fingerprint", dir.file("abc.txt"), dir.file("missing.txt"),
                         dir.file("empty.bin")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "0\tabc.txt\t" + kAbcFingerprint + "\t0\n"
                          "0\tempty.bin\td41d8cd98f00b204e9800998ecf8427e:0\t0\n");
    EXPECT_EQ(result.err, dir.file("missing.txt") + ": cannot read the file\n");

    // Its output is a list that make accepts.
    WriteFile(dir.file("f.list"), result.out);
    EXPECT_EQ(RunInProcess({"make", dir.file("f.list"), dir.file("f.bvx")}).status, 0);
}

TEST(Commands, FingerprintRefusesAFileInUse) {
    TempDir dir;
    WriteFile(dir.file("busy.exe"), "abc");
    // Shared for reading and writing: the fingerprint can read it, but its
    // size would come out as "-1", which matches no file.
    HANDLE busy = CreateFileA(dir.file("busy.exe").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    ToolResult result = RunInProcess({"fingerprint", dir.file("busy.exe")});
    CloseHandle(busy);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, dir.file("busy.exe") + ": the file is in use, its size is not available\n");
}

TEST(Commands, ImportHdbWritesLinesAndCountsSkipsOnTheErrorStream) {
    TempDir dir;
    WriteFile(dir.file("a.hdb"), "900150983CD24FB0D6963F7D28E17F72:3:Abc\n"
                                 "900150983cd24fb0d6963f7d28e17f72:*:Star\n"
                                 "garbage\n");
    ToolResult result = RunInProcess({"import-hdb", dir.file("a.hdb")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "0\tAbc\t" + kAbcFingerprint + "\t0\n");
    EXPECT_EQ(result.err, dir.file("a.hdb") + ":3: skipped: not of the form hash:size:name\n" +
                              dir.file("a.hdb") +
                              ": 1 converted, 2 skipped (size \"*\": 1, 40-digit hash: 0, "
                              "64-digit hash: 0, size 0: 0, malformed: 1)\n");
    EXPECT_EQ(RunInProcess({"import-hdb", dir.file("none.hdb")}).status, 2);
}

TEST(Commands, BadCallsGiveUsageAndExitCodeTwo) {
    for (const Arguments &call : {Arguments{}, Arguments{"frobnicate"}, Arguments{"-x"},
                                  Arguments{"make", "x"}, Arguments{"list"},
                                  Arguments{"fingerprint"}, Arguments{"check"},
                                  Arguments{"help", "make", "list"}}) {
        ToolResult result = RunInProcess(call);
        EXPECT_EQ(result.status, 2) << call.size();
        EXPECT_NE(result.err.find("Usage:"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    // A known command's bad call shows that command's usage, not the overview.
    ToolResult make = RunInProcess({"make", "x"});
    EXPECT_EQ(make.err, "bvxtool: make needs a list and an output file\n"
                        "Usage: bvxtool make LIST OUT.bvx\n(bvxtool help make says more)\n");
}

TEST(Commands, HelpPrintsTheOverviewOrOneCommandsUsage) {
    const ToolResult overview = RunInProcess({"help"});
    ASSERT_EQ(overview.status, 0);
    EXPECT_EQ(overview.err, "");
    for (const char *line : {"  bvxtool make LIST OUT.bvx ", "  bvxtool check BASE... ",
                             "  bvxtool scan [--bases DIR] [--strict] PATH...\n",
                             "  bvxtool help [COMMAND] ", "  bvxtool --version "})
        EXPECT_NE(overview.out.find(line), std::string::npos) << line;
    for (const char *spelling : {"--help", "-h", "/?"}) {
        const ToolResult asked = RunInProcess({spelling});
        EXPECT_EQ(asked.status, 0) << spelling;
        EXPECT_EQ(asked.out, overview.out) << spelling;
    }

    const struct {
        const char *command, *usageLine;
    } commands[] = {
        {"make", "Usage: bvxtool make LIST OUT.bvx\n"},
        {"list", "Usage: bvxtool list BASE.bvx\n"},
        {"check", "Usage: bvxtool check BASE...\n"},
        {"pack", "Usage: bvxtool pack PLAIN OUT.bvx\n"},
        {"unpack", "Usage: bvxtool unpack BASE.bvx PLAIN\n"},
        {"fingerprint", "Usage: bvxtool fingerprint FILE...\n"},
        {"import-hdb", "Usage: bvxtool import-hdb FILE.hdb...\n"},
        {"import", "Usage: bvxtool import [--out DIR] FILE...\n"},
        {"scan", "Usage: bvxtool scan [--bases DIR] [--strict] PATH...\n"},
        {"help", "Usage: bvxtool help [COMMAND]\n"},
    };
    for (const auto &c : commands) {
        const ToolResult help = RunInProcess({"help", c.command});
        EXPECT_EQ(help.status, 0) << c.command;
        EXPECT_EQ(help.out.rfind(c.usageLine, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        // COMMAND --help says the same.
        EXPECT_EQ(RunInProcess({c.command, "--help"}).out, help.out) << c.command;
    }
    EXPECT_NE(RunInProcess({"help", "check"}).out.find("fresh definition table"), std::string::npos);

    const ToolResult unknown = RunInProcess({"help", "frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err.rfind("bvxtool: no command \"frobnicate\" to help with\nUsage:\n", 0),
              0u)
        << unknown.err;
}

TEST(Commands, VersionNamesTheProgramAndTheEngine) {
    const ToolResult version = RunInProcess({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, "");
    // The program's version is the first line of ver.ini, as the build read it.
    EXPECT_EQ(version.out, std::string("bvxtool ") + EXPECTED_PROGRAM_VERSION +
                               "\nKernel.dll library version 1.0, engine version 0.12\n");
}

TEST(Commands, MakeWarnsAboutExactRepeatsWithBothLinesAndStillWritesTheBase) {
    TempDir dir;
    WriteFile(dir.file("dup.list"),
              "#header1 Repeats\n"                                  // 1
              "1\tPat.Pattern\t50 41 54\t0\n"                       // 2
              "1\tPat.Pattern\t50 41 54\n"                          // 3: offset left out
              "1\tPat.Pattern\t50 41 54\t4\n"                       // 4: another offset
              "1\tPat.Other\t50 41 54\t0\n"                         // 5: another name
              "\n"                                                  // 6
              "2\tBvx.Offset\t66-86-88-33\t0\n"                     // 7
              "1\tPat.Pattern\t50 41 54\t0\r\n"                     // 8: third time
              "0\tAbc.File\t" + kAbcFingerprint + "\t0\n"           // 9
              "2\tBvx.Offset\t66-86-88-33\t0\n");                   // 10
    const ToolResult made = RunInProcess({"make", dir.file("dup.list"), dir.file("dup.bvx")});
    EXPECT_EQ(made.status, 0) << made.err;
    const std::string list = dir.file("dup.list");
    EXPECT_EQ(made.err, list + ":3: warning: the same definition as on line 2\n" + list +
                            ":8: warning: the same definition as on line 2\n" + list +
                            ":10: warning: the same definition as on line 7\n");
    EXPECT_EQ(made.out, dir.file("dup.bvx") + ": 8 definitions (3 repeats)\n");
    // Every line stays in the base, in order, so its list rebuilds it.
    const ToolResult listed = RunInProcess({"list", dir.file("dup.bvx")});
    EXPECT_NE(listed.out.find("# count 8\n"), std::string::npos) << listed.out;
}

TEST(Commands, CountLinesSayOneDefinitionAndManyDefinitions) {
    TempDir dir;
    const struct {
        std::string list, count;
    } cases[] = {
        {"1\tOne\t50\t0\n", "1 definition"},
        {"1\tOne\t50\t0\n1\tTwo\t51\t0\n", "2 definitions"},
        {"# nothing\n", "0 definitions"},
        {"1\tOne\t50\t0\n1\tOne\t50\t0\n", "2 definitions (1 repeat)"},
    };
    for (const auto &c : cases) {
        WriteFile(dir.file("c.list"), c.list);
        const ToolResult made = RunInProcess({"make", dir.file("c.list"), dir.file("c.bvx")});
        EXPECT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, dir.file("c.bvx") + ": " + c.count + "\n");
    }
}
