// The directory search of the scan walk and of the base loading. Folders are
// listed with the wide-character search, so that every entry is seen whatever
// its name or the length of its path; each entry is then given an ANSI path
// that the engine's ANSI exports can open (the name itself when the ANSI code
// page spells it exactly, else a short 8.3 form), or none, which the walk
// reports instead of passing over in silence.
//
// Texts: names and paths shown to the user are UTF-8; ANSI paths are in the
// system's ANSI code page; wide paths are what the wide calls take.
#pragma once

#include "FolderPaths.h"
#include "TextConversion.h"
#include "WinHandle.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

namespace scanner {

// Why an entry has no ANSI path.
enum class AnsiPathTrouble { None, Unspellable, TooLong };

// A folder as the walk holds it; every path ends with a backslash.
struct TWalkFolder {
    std::wstring Wide;      // for the wide calls, in "\\?\" form
    std::string Shown;      // UTF-8, as the user knows it
    std::string Ansi;       // for the engine; empty when the folder has none
    AnsiPathTrouble Trouble = AnsiPathTrouble::None; // why Ansi is empty
    // The least length the folder's short form can have (ShortPathFloor):
    // where a path below it cannot fit the engine's limit even so, the
    // system is not asked for its short form.
    size_t ShortFloor = 0;
    std::wstring Resolved;  // where the folder really lies (links resolved);
                            // empty for a link whose target cannot be told
};

struct FolderEntry {
    std::wstring WideName;  // the name as the system holds it
    std::string Name;       // UTF-8
    std::string AnsiName;   // spelled exactly in ANSI; empty when it cannot be
    bool IsFolder = false;
    bool IsLink = false;    // a reparse point: a link or a mount point
};

// The root of a walk, from an ANSI path ending with a backslash.
TWalkFolder WalkRootFolder(const std::string &ansiRoot);

// The entries of one folder ("." and ".." excluded; hidden, system and link
// entries included) in the order the system returns them. The search stays
// open while the object lives, so a walk can hold one per level of its path
// without recursing.
class TFolderListing {
public:
    // wideFolder ends with a backslash.
    explicit TFolderListing(const std::wstring &wideFolder);
    // False when the folder could not be searched at all.
    bool IsOpen() const { return search_.valid(); }
    // The next entry; false at the end.
    bool Next(FolderEntry &entry);

private:
    WIN32_FIND_DATAW data_{};
    brenvald::FindHandle search_;
    bool pending_;
};

// A sub-folder met in a listing. A link is followed to where it leads; when
// the system cannot say where (Wine, beyond 260 characters), Resolved stays
// empty and the walk must not enter it, or a link loop would never end.
TWalkFolder EnterSubFolder(const TWalkFolder &parent, const FolderEntry &entry);

// The ANSI path of a file met in a listing; empty (and trouble set) when the
// engine cannot be given one.
std::string AnsiFilePath(const TWalkFolder &folder, const FolderEntry &entry,
                         AnsiPathTrouble &trouble);

// The name in ANSI when the code page spells it exactly (no default
// character, no best-fit look-alike, and it converts back the same);
// empty otherwise. Names the ANSI calls would trim (a trailing dot or blank)
// count as unspellable.
std::string ExactAnsiName(const std::wstring &name);

// The short form of an existing wide path as a plain ANSI path; empty when
// the system gives none or ANSI cannot spell even that.
std::string ShortAnsiPath(const std::wstring &widePath);

// The base loading's search over ANSI folder paths: visits every entry that
// has an ANSI path below folder (a folder ending with a backslash), with
// AnsiName set to the name to append (the real name or its short form).
void ForEachFolderEntry(const std::string &folder,
                        const std::function<bool(const FolderEntry &)> &visit);

// The folders one walk has entered, by where they really lie, so that a
// folder link leading back into the tree is not walked again and a folder
// reached both by a link and by its own path is walked once. Folders of
// different file systems differ by path even when their file indexes agree.
class TEnteredFolders {
public:
    // True the first time a folder is met.
    bool Enter(const TWalkFolder &folder) { return entered_.insert(folder.Resolved).second; }
    // The same for an ANSI folder path; a folder that cannot be opened counts
    // as new each time.
    bool Enter(const std::string &ansiFolder);
    void Clear() { entered_.clear(); }

private:
    std::unordered_set<std::wstring> entered_;
};

} // namespace scanner
