// Signature database files turned into definitions: the file's bytes are
// read as a database file (the 512-byte header, then a gzip-compressed or
// plain tar archive), as a bare archive, or as one loose signature list,
// told apart by their bytes; the members are converted by their kind:
// ".hdb" and ".hsb" hash lists to kind "0" as `import-hdb` does, ".ndb"
// body signatures to kind "1" or "2" where a definition says them exactly,
// ".ign" and ".ign2" lists name signatures to leave out. Everything else is
// counted per member and reason. No windows here.
#pragma once

#include "DatabaseHeader.h"
#include "DefinitionList.h"
#include "TarArchive.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bvxtool {

// A database file read into its members.
struct DatabaseFile {
    std::optional<DatabaseHeader> header;  // none for a bare archive or a loose list
    // The header's MD5 matched the rest of the file. A plain archive whose
    // MD5 does not match is still read (see md5Note); a compressed one is not.
    bool md5Matches = false;
    std::string md5Note;
    bool compressed = false;
    std::string unpacked;               // the archive, when it was compressed
    std::vector<TarMember> members;     // views into unpacked or into the file's bytes
};

// Reads fileName's bytes (which must outlive the result when not
// compressed). Throws ImportError when the file is damaged: a header field,
// the MD5 of a compressed file, the gzip data, the archive.
DatabaseFile ReadDatabaseFile(std::string_view fileName, std::string_view bytes);

// Whether a member or a loose file is an ignore list (".ign", ".ign2").
bool IsIgnoreList(std::string_view name);
// The signature names an ignore list holds, in order.
std::vector<std::string> IgnoreListNames(std::string_view content);

// What became of one member.
struct MemberReport {
    std::string member;
    size_t converted = 0;
    // Lines left out, by reason, in the order the reasons first came.
    std::vector<std::pair<std::string, size_t>> leftOut;
    // Why the whole member was passed over ("" when its lines were read).
    std::string passedOver;
    void LeaveOut(const std::string &reason, size_t count = 1);
    size_t LeftOutTotal() const;
};

// Converts a name in place into the ANSI code page; false when a character
// the code page cannot spell was replaced.
using NameSpeller = std::function<bool(std::string &name)>;

struct ImportResult {
    std::vector<Definition> definitions;  // in member and line order, each once
    std::vector<MemberReport> members;
    size_t repeats = 0;             // exact repeats left out (the first is kept)
    size_t ignored = 0;             // left out because an ignore list names them
    size_t ignoreListNames = 0;     // names the ignore lists held
    size_t respelledNames = 0;      // kept with "?" for characters ANSI cannot spell
};

// Converts the members; the ignore lists among them and those given apart
// (loose ones of the same import) name signatures to leave out.
ImportResult ConvertMembers(const std::vector<TarMember> &members,
                            const std::vector<std::string> &ignoredNames,
                            const NameSpeller &speller);

} // namespace bvxtool
