// The quarantine index as text: Files.ini holds four lines per record
// (original path, stored name, description, time stamp), every line ended by
// CR LF. Everything here works on strings only, so it builds and tests without
// a file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scanner {

constexpr std::size_t kLinesPerRecord = 4;
// Stored names are "INFECTED(" n ").Vir" with n from 0 to kStoredNameCount - 1.
constexpr uint32_t kStoredNameCount = 121121;
// The index in the quarantine folder, and the file a new index is written to
// before it takes the index's place.
constexpr char kIndexFileName[] = "Files.ini";
constexpr char kTempIndexFileName[] = "Files.ini.tmp";

struct QuarantineRecord {
    std::string originalPath;
    std::string storedName;
    std::string description;
    std::string timeStamp;
};

// A moment in local time, as the clock reports it.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// The system's ANSI code page, as the index file needs it.
class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    // The UTF-8 form of a text in the code page.
    virtual std::string Utf8FromAnsi(const std::string &ansi) const = 0;
    // True, with ansi set, when the code page spells the UTF-8 text exactly
    // (no default character, no look-alike) and it converts back the same.
    virtual bool ExactAnsiFromUtf8(const std::string &utf8, std::string &ansi) const = 0;
};

// The mark that begins an index written in UTF-8.
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// Index file bytes to UTF-8 text: after a UTF-8 byte-order mark the rest as
// it is, else every line converted from the ANSI code page. Line ends stay.
std::string DecodeIndexText(const std::string &bytes, const IAnsiCodePage &codePage);
// UTF-8 text to index file bytes: in the ANSI code page when it spells every
// line exactly (the form earlier builds wrote and read), else the UTF-8 text
// after a byte-order mark, so that no path is lost to the code page.
std::string EncodeIndexText(const std::string &text, const IAnsiCodePage &codePage);

// Splits index text into lines; CR, LF and CR LF all end a line, and a final
// line without an ending still counts.
std::vector<std::string> SplitIndexLines(const std::string &text);
// Joins lines back into index text, each one ended by CR LF.
std::string JoinIndexLines(const std::vector<std::string> &lines);

// Complete records only: lines after the last group of four are not a record.
std::size_t CompleteRecordCount(const std::vector<std::string> &lines);
QuarantineRecord RecordAt(const std::vector<std::string> &lines, std::size_t record);
// Puts a record right after the last complete one, so that stray lines at the
// end of the index stay at the end and never shift the records' alignment.
void InsertRecord(std::vector<std::string> &lines, const QuarantineRecord &record);
void EraseRecord(std::vector<std::string> &lines, std::size_t record);

std::string StoredNameFor(uint32_t number);
// A text as one line of the index: every control character (a line break
// among them) becomes a blank, so that a record stays four lines.
std::string IndexLineText(const std::string &text);
// "hh:mm dd.mm.yy" with the locale's time separator between hour and minute.
std::string FormatQuarantineTime(const LocalTime &time, const std::string &timeSeparator);

// A stored name read from the index is used inside the quarantine folder only,
// and must name a plain file there under Windows' own name rules: no folder
// separator, stream colon, wildcard or control character; not made of dots and
// blanks only, no trailing dot or blank (the system drops those, so "..." or
// ". " would reach the folder itself); no device name such as CON, NUL or
// COM1, with or without an extension; and never the index or its temporary
// file.
bool IsStoredFileName(const std::string &name);
// The same rules without the index's own names: a name that makes a plain
// file in any folder.
bool IsPlainFileName(const std::string &name);
// The part of a path after its last backslash, slash or colon.
std::string FileNameOfPath(const std::string &path);
// File names compare without regard to ASCII case, as the file system does.
bool SameFileName(const std::string &left, const std::string &right);

} // namespace scanner
