// Fixtures for the quarantine tests: a program folder and a user folder in a
// fresh temporary folder, file operations that fail on demand, a scripted
// name draw, a fixed clock, answered prompts and a check-box list in memory.
#pragma once

#include "QuarantineCommands.h"
#include "QuarantineFiles_win.h"
#include "TempDir.h"

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qtest {

using namespace scanner;

// Thrown by the faulty file operations to stand for the process dying there.
struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

// The real operations, with a fault switch for each.
struct FaultyFiles : Win32QuarantineFiles {
    int movesToFail = 0;        // the next this many moves fail
    bool moveFailsAfterCopy = false; // a move that takes the file yet reports failure
    bool moveOnlyCopies = false;     // a move that copies, then fails to delete the source
    int indexWritesToFail = 0;  // the next this many temporary index writes fail
    int replacesToFail = 0;     // the next this many index replaces fail
    bool crashOnReplace = false;
    bool indexUnreadable = false;

    FileResult Move(const std::string &from, const std::string &to) override;
    IndexContent ReadIndex(const std::string &path) override;
    FileResult WriteTempIndex(const std::string &path, const std::string &text) override;
    FileResult ReplaceIndex(const std::string &tempPath, const std::string &indexPath) override;
};

// Hands out the scripted numbers in turn, then the last one for ever.
struct ScriptedDraw : INameDraw {
    std::vector<uint32_t> numbers;
    std::size_t next = 0;
    explicit ScriptedDraw(std::vector<uint32_t> script) : numbers(std::move(script)) {}
    uint32_t Draw() override { return numbers[next < numbers.size() ? next++ : numbers.size() - 1]; }
};

struct FixedClock : IQuarantineClock {
    LocalTime now{2026, 12, 6, 14, 37};
    std::string separator = ":";
    LocalTime Now() override { return now; }
    std::string TimeSeparator() override { return separator; }
};

// The question Delete asks before it deletes one file, as RecordedPrompts
// records it.
inline const std::string kDeleteOneQuestion =
    "Confirm: Delete the selected file from Quarantine for good?\nA deleted file cannot be "
    "restored.";

struct RecordedPrompts : IPrompts {
    std::vector<std::string> shown; // "Information: text", "Confirm: text", ...
    // The answer to "more spyware?"; the question before a delete has its own.
    bool answerYes = false;
    bool answerDelete = true;
    // The folder PickFolder answers; empty picks none.
    std::string pickedFolder;
    std::vector<std::pair<std::string, bool>> opened;
    std::string PickFolder(const std::string &title) override {
        shown.push_back("Pick folder: " + title);
        return pickedFolder;
    }
    void Information(const std::string &text) override { shown.push_back("Information: " + text); }
    void Warning(const std::string &text) override { shown.push_back("Warning: " + text); }
    bool Confirm(const std::string &text) override {
        shown.push_back("Confirm: " + text);
        return text.rfind("Delete ", 0) == 0 ? answerDelete : answerYes;
    }
    void ErrorReport(const std::string &text) override { shown.push_back("Error: " + text); }
    void OpenAddress(const std::string &address, bool maximised) override {
        opened.emplace_back(address, maximised);
    }
};

struct MemoryCheckList : ICheckList {
    std::vector<std::pair<std::string, bool>> rows;
    // The definition name of each row, by its caption; none when absent.
    std::map<std::string, std::string> names;
    std::string Name(int row) const override {
        auto found = names.find(rows.at(row).first);
        return found == names.end() ? std::string() : found->second;
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    std::string Caption(int row) const override { return rows.at(row).first; }
    bool Checked(int row) const override { return rows.at(row).second; }
    void SetChecked(int row, bool checked) override { rows.at(row).second = checked; }
    void RemoveRow(int row) override { rows.erase(rows.begin() + row); }
};

// A program folder with its store, a user folder, and the host of the commands.
struct Installation {
    testsupport::TempDir temp;
    std::string program = temp.file("prog\\");
    std::string user = temp.file("user\\");
    FaultyFiles files;
    ScriptedDraw draw;
    FixedClock clock;
    QuarantineStore store{program, files, draw, clock};
    RecordedPrompts prompts;
    std::vector<std::string> log;
    std::vector<Page> pages;
    QuarantineHost host{prompts, [this](const std::string &line) { log.push_back(line); },
                        [this](Page page) { pages.push_back(page); }};

    explicit Installation(std::vector<uint32_t> script = {7, 8, 9, 10, 11, 12});
    // Creates a user file whose content is its own name, and returns its path.
    std::string UserFile(const std::string &name);
    std::string IndexText() const;
    std::vector<std::string> IndexLines() const;
    // The names of the files in the quarantine folder, but the index.
    std::vector<std::string> StoredFiles() const;
    // Checks that each user file is at its path with its content, or lies in
    // the quarantine folder with exactly one record naming it, and that no
    // stored file lacks a record.
    void ExpectNothingLost(const std::vector<std::string> &userFiles) const;
};

} // namespace qtest
