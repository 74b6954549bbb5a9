#include "QuarantineKit.h"

#include <gtest/gtest.h>

using namespace qtest;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Lines = std::vector<std::string>;

TEST(QuarantineStore, FirstMoveCreatesFolderAndFourLineIndex) {
    Installation setup({907});
    std::string spy = setup.UserFile("spy.exe");
    ASSERT_FALSE(FileExists(setup.store.Folder()));

    EXPECT_TRUE(setup.store.QuarantineFile(spy, "").moved());

    EXPECT_EQ(setup.IndexText(), spy + "\r\nINFECTED(907).Vir\r\n\r\n14:37 06.12.26\r\n");
    EXPECT_FALSE(FileExists(spy));
    EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(907).Vir"), "spy.exe");
    EXPECT_EQ(setup.StoredFiles(), Lines{"INFECTED(907).Vir"});
    QuarantineStore bare(setup.program.substr(0, setup.program.size() - 1), setup.files,
                         setup.draw, setup.clock);
    EXPECT_EQ(bare.Folder(), setup.program + "Quarantine\\");
}

TEST(QuarantineStore, TimeLineComesFromTheClockAndLocaleSeparator) {
    Installation setup;
    setup.clock.now = {2027, 2, 3, 9, 5};
    setup.clock.separator = "h";
    ASSERT_TRUE(setup.store.QuarantineFile(setup.UserFile("a.exe"), "").moved());
    EXPECT_EQ(setup.IndexLines().at(3), "09h05 03.02.27");
}

TEST(QuarantineStore, SevenLineIndexListsOneRowAndKeepsItsStrayLines) {
    Installation setup;
    testsupport::MakeDir(setup.program + "Quarantine");
    WriteFile(setup.store.Folder() + "INFECTED(3).Vir", "x");
    WriteFile(setup.store.IndexPath(), "C:\\a.exe\nINFECTED(3).Vir\r\ndesc\rtime\r\nx\r\ny\r\nz\r\n");

    std::vector<QuarantineRow> rows = setup.store.ListQuarantine();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, "C:\\a.exe");
    EXPECT_EQ(rows[0].storedName, "INFECTED(3).Vir");
    EXPECT_EQ(rows[0].description, "desc");
    EXPECT_EQ(rows[0].timeStamp, "time");
    EXPECT_TRUE(rows[0].present);

    std::string b = setup.UserFile("b.exe");
    ASSERT_TRUE(setup.store.QuarantineFile(b, "").moved());
    Lines lines = setup.IndexLines();
    EXPECT_EQ(Lines(lines.begin() + 4, lines.end()),
              (Lines{b, "INFECTED(7).Vir", "", "14:37 06.12.26", "x", "y", "z"}));
    EXPECT_EQ(setup.store.ListQuarantine().size(), 2u);
}

TEST(QuarantineStore, RestoringTheSecondOfThreeKeepsRecordsOneAndThree) {
    Installation setup;
    Lines paths = {setup.UserFile("1.exe"), setup.UserFile("2.exe"), setup.UserFile("3.exe")};
    for (const std::string &path : paths)
        ASSERT_TRUE(setup.store.QuarantineFile(path, "").moved());
    Lines before = setup.IndexLines();

    EXPECT_EQ(setup.store.ReleaseQuarantined(1, false).status, ReleaseStatus::Done);

    EXPECT_EQ(ReadFile(paths[1]), "2.exe");
    Lines expected(before.begin(), before.begin() + 4);
    expected.insert(expected.end(), before.begin() + 8, before.end());
    EXPECT_EQ(expected.size(), 8u);
    EXPECT_EQ(setup.IndexText(), JoinIndexLines(expected));
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineStore, RestoreOntoAnOccupiedPathFailsAndKeepsTheRecord) {
    Installation setup;
    std::string spy = setup.UserFile("spy.exe");
    ASSERT_TRUE(setup.store.QuarantineFile(spy, "").moved());
    WriteFile(spy, "newer file");
    std::string index = setup.IndexText();

    EXPECT_EQ(setup.store.ReleaseQuarantined(0, false).status, ReleaseStatus::Failed);

    EXPECT_EQ(ReadFile(spy), "newer file");
    EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(7).Vir"), "spy.exe");
    EXPECT_EQ(setup.IndexText(), index);
}

TEST(QuarantineStore, DeleteRemovesTheStoredFileForGood) {
    Installation setup;
    ASSERT_TRUE(setup.store.QuarantineFile(setup.UserFile("spy.exe"), "").moved());
    EXPECT_EQ(setup.store.ReleaseQuarantined(0, true).status, ReleaseStatus::Done);
    EXPECT_TRUE(setup.StoredFiles().empty());
    EXPECT_EQ(setup.IndexText(), "");
}

TEST(QuarantineStore, AStoredNameThatIsAPathIsNeverUsed) {
    Installation setup;
    std::string victim = setup.UserFile("victim.txt");
    testsupport::MakeDir(setup.program + "Quarantine");
    WriteFile(setup.store.IndexPath(), "C:\\a.exe\r\n..\\..\\user\\victim.txt\r\n\r\nt\r\n");

    EXPECT_FALSE(setup.store.ListQuarantine().at(0).present);
    EXPECT_EQ(setup.store.ReleaseQuarantined(0, true).status, ReleaseStatus::Failed);
    EXPECT_EQ(ReadFile(victim), "victim.txt");
}

TEST(QuarantineStore, MissingOrShortIndexMakesReleaseFailWithoutWriting) {
    Installation setup;
    EXPECT_EQ(setup.store.ReleaseQuarantined(0, true).status, ReleaseStatus::Failed);
    EXPECT_FALSE(setup.store.RemoveQuarantineRecord(0));
    EXPECT_FALSE(FileExists(setup.store.IndexPath()));
    EXPECT_TRUE(setup.store.ListQuarantine().empty());

    testsupport::MakeDir(setup.program + "Quarantine");
    WriteFile(setup.store.IndexPath(), "a\r\nb\r\nc\r\n");
    EXPECT_FALSE(setup.store.RemoveQuarantineRecord(0));
    EXPECT_EQ(setup.IndexText(), "a\r\nb\r\nc\r\n");
}
