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
// "hh:mm dd.mm.yy" with the locale's time separator between hour and minute.
std::string FormatQuarantineTime(const LocalTime &time, const std::string &timeSeparator);

// A stored name read from the index is used inside the quarantine folder only:
// it must be a bare file name, never a path that could reach other files.
bool IsBareFileName(const std::string &name);
// File names compare without regard to ASCII case, as the file system does.
bool SameFileName(const std::string &left, const std::string &right);

} // namespace scanner
