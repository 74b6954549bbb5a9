// The quarantine store's file operations, name draw and clock over Win32, and
// the store the program uses: the real file system below its own folder.
#pragma once

#include "QuarantineFiles.h"
#include "QuarantineStore.h"

#include <cstdint>
#include <random>
#include <string>

namespace scanner {

class Win32AnsiCodePage : public IAnsiCodePage {
public:
    std::string Utf8FromAnsi(const std::string &ansi) const override;
    bool ExactAnsiFromUtf8(const std::string &utf8, std::string &ansi) const override;
};

class Win32QuarantineFiles : public IQuarantineFiles {
public:
    bool Exists(const std::string &path) override;
    QuarantineEntry FindEntry(const std::string &path) override;
    FileResult CreateFolder(const std::string &path) override;
    FileResult Move(const std::string &from, const std::string &to) override;
    FileResult Delete(const std::string &path) override;
    IndexContent ReadIndex(const std::string &path) override;
    FileResult WriteTempIndex(const std::string &path, const std::string &text) override;
    FileResult ReplaceIndex(const std::string &tempPath, const std::string &indexPath) override;

private:
    Win32AnsiCodePage codePage_;
};

// Seeded once when constructed: files quarantined within one clock tick still
// get independent draws.
class SeededNameDraw : public INameDraw {
public:
    SeededNameDraw();
    uint32_t Draw() override;

private:
    std::mt19937 engine_;
    std::uniform_int_distribution<uint32_t> numbers_{0, kStoredNameCount - 1};
};

class SystemClock : public IQuarantineClock {
public:
    LocalTime Now() override;
    std::string TimeSeparator() override;
};

// The system's message text for an error code in UTF-8, without the
// trailing line end.
std::string SystemMessage(unsigned long code);

// The store over the real file system, clock and a generator seeded once;
// the window keeps one for its whole life. programFolder is the program
// folder in UTF-8 (TProgramFolder::Shown): the store reaches it, its moves
// and Files.ini through the wide calls, whatever the folder's name.
class SystemQuarantine {
public:
    explicit SystemQuarantine(const std::string &programFolder)
        : store_(programFolder, files_, draw_, clock_) {}
    QuarantineStore &store() { return store_; }

private:
    Win32QuarantineFiles files_;
    SeededNameDraw draw_;
    SystemClock clock_;
    QuarantineStore store_;
};

} // namespace scanner
