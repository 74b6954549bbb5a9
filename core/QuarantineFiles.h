// The file operations and the name draw of the quarantine store, behind small
// interfaces so that tests can make any one of them fail. The Win32 versions
// the program uses are in QuarantineFiles_win.h.
//
// Paths and texts are UTF-8 throughout, so that a file whose real name the
// ANSI code page cannot spell is moved and put back under that name; the
// Win32 operations make wide calls.
#pragma once

#include "QuarantineIndex.h"

#include <cstdint>
#include <string>

namespace scanner {

// Result of one file operation; error holds the system's reason on failure.
struct FileResult {
    bool ok = false;
    std::string error;

    static FileResult Success() { return {true, {}}; }
    static FileResult Failure(std::string reason) { return {false, std::move(reason)}; }
};

enum class IndexState { Missing, Read, Unreadable };

struct IndexContent {
    IndexState state = IndexState::Missing;
    std::string text;  // when Read
    std::string error; // when Unreadable: the system's reason
};

enum class EntryKind { Missing, File, Folder };

// What stands at a path, as its folder lists it.
struct QuarantineEntry {
    EntryKind kind = EntryKind::Missing;
    std::string name;  // the entry's own name: a short (8.3) alias resolves to it
    std::string error; // when Missing: the system's reason
};

class IQuarantineFiles {
public:
    virtual ~IQuarantineFiles() = default;
    // True when a file or folder stands at path.
    virtual bool Exists(const std::string &path) = 0;
    // The entry at path, which must hold no wildcard.
    virtual QuarantineEntry FindEntry(const std::string &path) = 0;
    virtual FileResult CreateFolder(const std::string &path) = 0;
    // Plain move: fails when something already stands at the target; a move to
    // another volume is a copy followed by a delete.
    virtual FileResult Move(const std::string &from, const std::string &to) = 0;
    // Deletes for good, no recycle bin.
    virtual FileResult Delete(const std::string &path) = 0;
    // The index as UTF-8 text, whatever form it is stored in.
    virtual IndexContent ReadIndex(const std::string &path) = 0;
    // Creates or truncates the file, writes the UTF-8 text in the form of
    // EncodeIndexText and flushes it to disk.
    virtual FileResult WriteTempIndex(const std::string &path, const std::string &text) = 0;
    // Puts the temporary file in the index's place in one step.
    virtual FileResult ReplaceIndex(const std::string &tempPath, const std::string &indexPath) = 0;
};

// Draws the number of a stored name, from 0 to kStoredNameCount - 1.
class INameDraw {
public:
    virtual ~INameDraw() = default;
    virtual uint32_t Draw() = 0;
};

// The local time and the user's time separator.
class IQuarantineClock {
public:
    virtual ~IQuarantineClock() = default;
    virtual LocalTime Now() = 0;
    virtual std::string TimeSeparator() = 0;
};

} // namespace scanner
