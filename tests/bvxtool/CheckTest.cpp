// bvxtool check run in-process: each base loaded alone, as the scanner
// loads it, and reported with its headers and records by kind, or the
// reason it did not load.
#include "InProcessRun.h"

#include "BaseContent.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace bvxtool;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Makes a base from list text; the base's path.
std::string MakeBase(const TempDir &dir, const std::string &name, const std::string &list) {
    WriteFile(dir.file(name + ".list"), list);
    ToolResult made = RunInProcess({"make", dir.file(name + ".list"), dir.file(name)});
    EXPECT_EQ(made.status, 0) << made.err;
    return dir.file(name);
}

// Packs a plain base content as it is.
std::string PackPlain(const TempDir &dir, const std::string &name, const std::string &plain) {
    WriteFile(dir.file(name + ".plain"), plain);
    EXPECT_EQ(RunInProcess({"pack", dir.file(name + ".plain"), dir.file(name)}).status, 0);
    return dir.file(name);
}

const std::string kEveryKind = "#header1 Check header one\n"
                               "#header2 Check header two\n"
                               "0\tAbc.File\t900150983cd24fb0d6963f7d28e17f72:3\n"
                               "1\tPat.Pattern\t50 41 54\t0\n"
                               "1\tPat.Second\t51 51\t0\n"
                               "2\tBvx.Offset\t66-86-88-33\t0\n";

} // namespace

TEST(CheckCommand, ReportsHeadersAndRecordsByKind) {
    TempDir dir;
    const std::string base = MakeBase(dir, "every.bvx", kEveryKind);
    const ToolResult checked = RunInProcess({"check", base});
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(checked.err, "");
    EXPECT_EQ(checked.out, base + ": loaded\n"
                                  "  header 1: Check header one\n"
                                  "  header 2: Check header two\n"
                                  "  4 records: 1 of kind 0, 2 of kind 1, 1 of kind 2\n"
                                  "1 base checked, 0 did not load\n");
    // Checking reads the base only.
    const std::string before = ReadFile(base);
    RunInProcess({"check", base});
    EXPECT_EQ(ReadFile(base), before);
}

TEST(CheckCommand, EachBaseGetsATableOfItsOwn) {
    TempDir dir;
    const std::string one = MakeBase(dir, "one.bvx", "1\tOnly\t50\t0\n");
    const std::string empty = MakeBase(dir, "empty.bvx", "#header1 Empty\n");
    // Any name is checked: the user named the file.
    const std::string other = MakeBase(dir, "every.dat", kEveryKind);
    const ToolResult checked = RunInProcess({"check", one, empty, other, one});
    EXPECT_EQ(checked.status, 0) << checked.err;
    const std::string oneReport = one + ": loaded\n  header 1: \n  header 2: \n"
                                        "  1 record: 0 of kind 0, 1 of kind 1, 0 of kind 2\n";
    EXPECT_EQ(checked.out, oneReport + empty +
                               ": loaded\n  header 1: Empty\n  header 2: \n"
                               "  0 records: 0 of kind 0, 0 of kind 1, 0 of kind 2\n" +
                               other +
                               ": loaded\n  header 1: Check header one\n"
                               "  header 2: Check header two\n"
                               "  4 records: 1 of kind 0, 2 of kind 1, 1 of kind 2\n" +
                               oneReport + "4 bases checked, 0 did not load\n");
}

TEST(CheckCommand, AFailedBaseGivesTheLoadersReasonAndExitCodeTwo) {
    TempDir dir;
    const std::string good = MakeBase(dir, "good.bvx", kEveryKind);
    WriteFile(dir.file("garbage.bvx"), "this is no base at all");
    std::string damaged = ReadFile(good);
    damaged[11] ^= 0x01; // the block's stored CRC
    WriteFile(dir.file("damaged.bvx"), damaged);
    const std::string shortHeader = PackPlain(dir, "short.bvx", std::string(100, 'x'));
    std::string badCount(213, '\0');
    badCount.replace(202, 4, "\x03" "abc");
    const std::string notCounted = PackPlain(dir, "count.bvx", badCount);

    const ToolResult checked = RunInProcess({"check", dir.file("garbage.bvx"), good,
                                    dir.file("damaged.bvx"), shortHeader, notCounted,
                                    dir.file("missing.bvx")});
    EXPECT_EQ(checked.status, 2);
    std::istringstream lines(checked.out);
    std::string line;
    std::vector<std::string> printed;
    while (std::getline(lines, line))
        printed.push_back(line);
    ASSERT_EQ(printed.size(), 10u) << checked.out;
    // The texts scan prints for a base that does not load.
    EXPECT_EQ(printed[0],
              dir.file("garbage.bvx") + ": not loaded: not a definition base (not bzip2 data)");
    EXPECT_EQ(printed[1], good + ": loaded");
    EXPECT_EQ(printed[5], dir.file("damaged.bvx") +
                              ": not loaded: the compressed data is damaged (bzip2 error -4)");
    EXPECT_EQ(printed[6], shortHeader + ": not loaded: the content is shorter than a base header "
                                        "(Stream read error)");
    EXPECT_EQ(printed[7], notCounted + ": not loaded: 'abc' is not a valid integer value");
    EXPECT_EQ(printed[8].rfind(dir.file("missing.bvx") + ": not loaded: ", 0), 0u) << printed[8];
    EXPECT_EQ(printed[9], "6 bases checked, 5 did not load");

    // One good base alone still exits with 0; one bad one with 2.
    EXPECT_EQ(RunInProcess({"check", good}).status, 0);
    EXPECT_EQ(RunInProcess({"check", dir.file("garbage.bvx")}).status, 2);
}

TEST(CheckCommand, RecordsTheScanCannotUseAreCountedApart) {
    TempDir dir;
    // RecordCount "2" announces three records; the content holds two, one of
    // kind "7". The engine keeps the records that arrived whole.
    std::string plain(213 + 2 * 314, '\0');
    plain.replace(202, 2, "\x01" "2");
    plain.replace(213, 4, "\x03Odd");
    plain[213 + 302] = '7';
    plain.replace(213 + 314, 4, "\x03Pat");
    plain.replace(213 + 314 + 101, 3, "\x02" "50");
    plain[213 + 314 + 302] = '1';
    const std::string base = PackPlain(dir, "odd.bvx", plain);
    const ToolResult checked = RunInProcess({"check", base});
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(checked.out, base + ": loaded\n  header 1: \n  header 2: \n"
                                  "  2 records: 0 of kind 0, 1 of kind 1, 0 of kind 2, 1 of no kind "
                                  "the scan knows (never matched)\n"
                                  "  its header announces 3 records: the content ends before the "
                                  "rest\n"
                                  "1 base checked, 0 did not load\n");
}

// A kind "2" definition whose Offset is not an integer never matches: check
// and list both say how many a base holds; other kinds' offsets do not count.
TEST(CheckCommand, CountsOffsetSignaturesWhoseOffsetIsNoInteger) {
    const struct {
        std::vector<testsupport::BaseRecord> records;
        int unused;
    } cases[] = {
        {{{"Good", "1-2-3-4", '2', "12"}, {"Hex", "1-2-3-4", '2', "$1F"}, {"Neg", "1-2-3-4", '2', "-4"}}, 0},
        {{{"Letters", "1-2-3-4", '2', "12a"}}, 1},
        {{{"Empty", "1-2-3-4", '2', ""}, {"Good", "1-2-3-4", '2', "0"}, {"Big", "1-2-3-4", '2', "99999999999"}}, 2},
        {{{"Pattern", "50 41", '1', "zz"}, {"Print", "900150983cd24fb0d6963f7d28e17f72:3", '0', "zz"}}, 0},
    };
    for (const auto &c : cases) {
        TempDir dir;
        const std::string base = PackPlain(
            dir, "offsets.bvx",
            testsupport::BaseContent(std::to_string(c.records.size() - 1), c.records));
        const std::string warning = std::to_string(c.unused) +
                                    (c.unused == 1 ? " definition" : " definitions") +
                                    " of kind 2 with an Offset that is not an integer, never used by the scan";
        const ToolResult checked = RunInProcess({"check", base});
        EXPECT_EQ(checked.status, 0) << checked.err;
        EXPECT_EQ(checked.out.find("  warning: " + warning + "\n") != std::string::npos, c.unused > 0)
            << checked.out;
        EXPECT_EQ(checked.out.find("never used by the scan") != std::string::npos, c.unused > 0);
        const ToolResult listed = RunInProcess({"list", base});
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.err.find(base + ": warning: " + warning + "\n") != std::string::npos,
                  c.unused > 0)
            << listed.err;
        EXPECT_EQ(listed.err.find("never used by the scan") != std::string::npos, c.unused > 0);
    }
}
