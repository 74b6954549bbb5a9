// Each fault is injected through the file operations or the name draw; after
// it, the user's files are checked by listing both their folder and the
// quarantine folder.
#include "QuarantineKit.h"

#include <gtest/gtest.h>

using namespace qtest;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Lines = std::vector<std::string>;

TEST(QuarantineFaults, TakenNamesAreDrawnAgain) {
    Installation setup({5, 5, 6, 6, 8});
    testsupport::MakeDir(setup.program + "Quarantine");
    WriteFile(setup.store.Folder() + "INFECTED(5).Vir", "someone else's");
    // Record 6 lost its stored file; its name stays reserved all the same.
    WriteFile(setup.store.IndexPath(), "C:\\old.exe\r\nINFECTED(6).Vir\r\n\r\nt\r\n");
    std::string spy = setup.UserFile("spy.exe");

    ASSERT_TRUE(setup.store.QuarantineFile(spy, "").moved());

    EXPECT_EQ(setup.IndexLines().at(5), "INFECTED(8).Vir");
    EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(5).Vir"), "someone else's");
    EXPECT_EQ(ReadFile(setup.store.Folder() + "INFECTED(8).Vir"), "spy.exe");
}

TEST(QuarantineFaults, NoFreeNameFailsCleanlyAndTheRowStays) {
    Installation setup({5});
    Lines paths = {setup.UserFile("old.exe"), setup.UserFile("a.exe")};
    ASSERT_TRUE(setup.store.QuarantineFile(paths[0], "").moved());
    std::string index = setup.IndexText();
    MemoryCheckList results;
    results.rows = {{paths[1], true}};

    FixAndContinue(setup.store, results, setup.host);

    EXPECT_EQ(results.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], false}}));
    ASSERT_EQ(setup.log.size(), 1u);
    EXPECT_NE(setup.log[0].find(paths[1]), std::string::npos);
    EXPECT_EQ(setup.IndexText(), index);
    EXPECT_EQ(setup.prompts.shown.at(0),
              "Warning: The selected infection could not be moved to Quarantine. See the report for the reason.");
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineFaults, FailedMoveKeepsItsRowAndWritesNoRecord) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
    MemoryCheckList results;
    results.rows = {{paths[0], true}, {paths[1], true}};
    setup.files.movesToFail = 1;

    FixAndContinue(setup.store, results, setup.host);

    EXPECT_EQ(results.rows, (std::vector<std::pair<std::string, bool>>{{paths[0], false}}));
    ASSERT_EQ(setup.log.size(), 1u);
    EXPECT_NE(setup.log[0].find(paths[0]), std::string::npos);
    EXPECT_EQ(setup.IndexLines().size(), 4u);
    EXPECT_EQ(setup.IndexLines().at(0), paths[1]);
    EXPECT_EQ(setup.prompts.shown,
              (Lines{"Warning: 1 of 2 selected infections could not be moved to Quarantine. See the "
                     "report for the reasons.",
                     "Confirm: Do you want to detect and clean more spyware?"}));
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineFaults, HalfDoneMovesKeepExactlyOneCopyWithItsRecord) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe")};
    setup.files.moveFailsAfterCopy = true;
    EXPECT_TRUE(setup.store.QuarantineFile(paths[0], "").moved());
    setup.ExpectNothingLost(paths);

    // Half a move, the other way: the source is still there beside a copy.
    std::string other = setup.UserFile("b.exe");
    setup.files.moveFailsAfterCopy = false;
    setup.files.moveOnlyCopies = true;
    EXPECT_EQ(setup.store.QuarantineFile(other, "").status, QuarantineStatus::NotMoved);
    EXPECT_EQ(setup.StoredFiles().size(), 1u);
    setup.ExpectNothingLost({paths[0], other});
}

TEST(QuarantineFaults, IndexWriteFailureMovesNothingAndStopsTheCommand) {
    for (bool failReplace : {false, true}) {
        Installation setup;
        Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
        ASSERT_TRUE(setup.store.QuarantineFile(paths[0], "").moved());
        std::string index = setup.IndexText();
        (failReplace ? setup.files.replacesToFail : setup.files.indexWritesToFail) = 1;
        MemoryCheckList results;
        results.rows = {{paths[1], true}};

        FixAndContinue(setup.store, results, setup.host);

        EXPECT_EQ(setup.IndexText(), index);
        EXPECT_EQ(results.rows.size(), 1u);
        ASSERT_EQ(setup.prompts.shown.size(), 1u);
        EXPECT_EQ(setup.prompts.shown[0].rfind("Error: Cannot create file \"" + setup.store.IndexPath() + "\".", 0), 0u);
        EXPECT_FALSE(FileExists(setup.store.IndexPath() + ".tmp"));
        setup.ExpectNothingLost(paths);
    }
}

TEST(QuarantineFaults, IndexWriteFailureAfterRestoreKeepsTheRowMatched) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
    for (const std::string &path : paths)
        ASSERT_TRUE(setup.store.QuarantineFile(path, "").moved());
    MemoryCheckList list;
    list.rows = {{paths[0], true}, {paths[1], true}};
    setup.files.indexWritesToFail = 1;

    RestoreChecked(setup.store, list, setup.host);

    EXPECT_EQ(ReadFile(paths[0]), "a.exe");
    EXPECT_FALSE(FileExists(paths[1]));
    EXPECT_EQ(list.rows.size(), 2u);
    EXPECT_FALSE(setup.store.ListQuarantine().at(0).present);
    EXPECT_EQ(setup.prompts.shown.at(0).rfind("Error: ", 0), 0u);
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineFaults, FailedMoveWhoseRecordCannotBeTakenOutLeavesTheFileInPlace) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe")};
    // The record goes in, the move fails, and taking the record out fails.
    struct FailSecondWrite : FaultyFiles {
        int writes = 0;
        FileResult WriteTempIndex(const std::string &path, const std::string &text) override {
            if (++writes == 2)
                return FileResult::Failure("Injected disk full.");
            return FaultyFiles::WriteTempIndex(path, text);
        }
    } files;
    files.movesToFail = 1;
    QuarantineStore store(setup.program, files, setup.draw, setup.clock);

    EXPECT_EQ(store.QuarantineFile(paths[0], "").status, QuarantineStatus::Refused);

    EXPECT_FALSE(store.ListQuarantine().at(0).present);
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineFaults, UnreadableIndexRefusesTheMoveAndKeepsTheIndex) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe")};
    ASSERT_TRUE(setup.store.QuarantineFile(paths[0], "").moved());
    std::string index = setup.IndexText();
    setup.files.indexUnreadable = true;
    MemoryCheckList results;
    results.rows = {{paths[1], true}};

    FixAndContinue(setup.store, results, setup.host);

    EXPECT_EQ(results.rows, (std::vector<std::pair<std::string, bool>>{{paths[1], true}}));
    ASSERT_EQ(setup.prompts.shown.size(), 1u);
    EXPECT_NE(setup.prompts.shown[0].find("cannot be read"), std::string::npos);
    EXPECT_EQ(setup.IndexText(), index);
    setup.ExpectNothingLost(paths);
}

TEST(QuarantineFaults, AnIndexThatIsAFolderIsUnreadable) {
    Installation setup;
    std::string spy = setup.UserFile("spy.exe");
    testsupport::MakeDir(setup.program + "Quarantine");
    testsupport::MakeDir(setup.store.IndexPath());
    EXPECT_EQ(setup.store.QuarantineFile(spy, "").status, QuarantineStatus::Refused);
    EXPECT_EQ(ReadFile(spy), "spy.exe");
}

TEST(QuarantineFaults, CrashBeforeTheIndexIsReplacedLosesNothing) {
    Installation setup;
    Lines paths = {setup.UserFile("a.exe"), setup.UserFile("b.exe"), setup.UserFile("c.exe")};
    ASSERT_TRUE(setup.store.QuarantineFile(paths[0], "").moved());
    ASSERT_TRUE(setup.store.QuarantineFile(paths[1], "").moved());
    setup.files.crashOnReplace = true;

    EXPECT_THROW(setup.store.QuarantineFile(paths[2], ""), SimulatedCrash);
    setup.ExpectNothingLost(paths);
    EXPECT_THROW(setup.store.ReleaseQuarantined(0, false), SimulatedCrash);
    setup.ExpectNothingLost(paths);
    EXPECT_EQ(setup.IndexLines().size(), 8u);

    // The next start works on from what is on disk.
    setup.files.crashOnReplace = false;
    ASSERT_TRUE(setup.store.QuarantineFile(paths[2], "").moved());
    EXPECT_FALSE(setup.store.ListQuarantine().at(0).present);
    setup.ExpectNothingLost(paths);
}
