// Reading the quarantine index (Files.ini). Its bytes read and write back as
// they were, in the code page's form while every line is spelled there; its
// lines split and join back unchanged; the list shows one row per complete record with that record's
// texts; a stored name from the index reaches only a plain file inside the
// quarantine folder; and releasing a record rewrites the index with exactly
// that record's four lines gone.
#include "FuzzSupport.h"
#include "../tests/quarantine/Latin1CodePage.h"

#include "QuarantineFiles.h"
#include "QuarantineIndex.h"
#include "QuarantineStore.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace scanner;
using fuzzsupport::InputReader;
using fuzzsupport::Require;

namespace {

const std::string kProgramFolder = "C:\\Program\\";
const std::string kFolder = kProgramFolder + "Quarantine\\";

std::string Upper(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Names Windows would not open as a plain file of the folder.
bool WindowsRefuses(const std::string &name) {
    if (name.find_first_not_of(". ") == std::string::npos)
        return true;
    if (name.back() == '.' || name.back() == ' ')
        return true;
    for (unsigned char c : name)
        if (c < 32 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return true;
    std::string stem = Upper(name.substr(0, name.find('.')));
    stem.erase(stem.find_last_not_of(' ') + 1);
    for (const char *device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device)
            return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
        stem[3] >= '1' && stem[3] <= '9')
        return true;
    return Upper(name) == "FILES.INI" || Upper(name) == "FILES.INI.TMP";
}

// A quarantine folder where every plain name holds a file, recording what
// the store asks of it.
class FakeFiles : public IQuarantineFiles {
public:
    explicit FakeFiles(std::string index) : index_(std::move(index)) {}

    bool Exists(const std::string &path) override { return InFolder(path); }
    QuarantineEntry FindEntry(const std::string &path) override {
        Require(InFolder(path), "only plain names inside the quarantine folder are looked up");
        return {EntryKind::File, path.substr(kFolder.size()), ""};
    }
    FileResult CreateFolder(const std::string &) override { return FileResult::Success(); }
    FileResult Move(const std::string &from, const std::string &to) override {
        Require(InFolder(from), "a restore moves only a stored file");
        moves.push_back({from, to});
        return FileResult::Success();
    }
    FileResult Delete(const std::string &path) override {
        Require(InFolder(path), "a delete removes only a stored file");
        deletes.push_back(path);
        return FileResult::Success();
    }
    IndexContent ReadIndex(const std::string &path) override {
        Require(path == kFolder + "Files.ini", "the index is read from the folder");
        return {IndexState::Read, index_, ""};
    }
    FileResult WriteTempIndex(const std::string &, const std::string &text) override {
        written.push_back(text);
        return FileResult::Success();
    }
    FileResult ReplaceIndex(const std::string &, const std::string &) override {
        return FileResult::Success();
    }

    std::vector<std::pair<std::string, std::string>> moves;
    std::vector<std::string> deletes;
    std::vector<std::string> written;

private:
    static bool InFolder(const std::string &path) {
        return path.size() > kFolder.size() && path.compare(0, kFolder.size(), kFolder) == 0 &&
               !WindowsRefuses(path.substr(kFolder.size()));
    }

    std::string index_;
};

class FixedDraw : public INameDraw {
public:
    uint32_t Draw() override { return 7; }
};

class FixedClock : public IQuarantineClock {
public:
    LocalTime Now() override { return {2026, 12, 9, 3, 4}; }
    std::string TimeSeparator() override { return ":"; }
};

// Whatever the store holds, UTF-8 or not, is written so that it reads back
// the same; an index without the mark (an earlier build's) is written back
// byte for byte.
void CheckFileForms(const std::string &bytes) {
    const qtest::TLatin1CodePage latin1;
    const std::string text = DecodeIndexText(bytes, latin1);
    const std::string file = EncodeIndexText(text, latin1);
    Require(DecodeIndexText(file, latin1) == text, "an index reads back as it was written");
    Require(DecodeIndexText(EncodeIndexText(bytes, latin1), latin1) == bytes,
            "any text reads back as it was written");
    if (bytes.compare(0, sizeof kUtf8ByteOrderMark - 1, kUtf8ByteOrderMark) != 0)
        Require(file == bytes, "an index without the mark is written back byte for byte");
}

void CheckLines(const std::vector<std::string> &lines) {
    for (const std::string &line : lines)
        Require(line.find_first_of("\r\n") == std::string::npos, "no line holds a line break");
    Require(SplitIndexLines(JoinIndexLines(lines)) == lines, "lines join and split unchanged");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t action = input.Byte();
    const std::string text = input.Rest();
    CheckFileForms(text);
    const std::vector<std::string> lines = SplitIndexLines(text);
    CheckLines(lines);

    FakeFiles files(text);
    FixedDraw draw;
    FixedClock clock;
    QuarantineStore store(kProgramFolder, files, draw, clock);

    const std::vector<QuarantineRow> rows = store.ListQuarantine();
    Require(rows.size() == CompleteRecordCount(lines), "one row per complete record");
    for (size_t n = 0; n < rows.size(); ++n) {
        const QuarantineRecord record = RecordAt(lines, n);
        Require(rows[n].caption == record.originalPath && rows[n].storedName == record.storedName &&
                    rows[n].description == record.description &&
                    rows[n].timeStamp == record.timeStamp,
                "a row shows its record's texts");
        Require(!rows[n].present || !WindowsRefuses(record.storedName),
                "a name Windows would not open as a stored file is never present");
    }
    if (rows.empty())
        return 0;

    // Release one record; the index loses exactly its four lines.
    const size_t chosen = action % rows.size();
    const bool deleteFile = action & 0x80;
    const ReleaseOutcome outcome = store.ReleaseQuarantined(chosen, deleteFile);
    if (outcome.status == ReleaseStatus::Failed) {
        Require(files.moves.empty() && files.deletes.empty() && files.written.empty(),
                "a failed release changes nothing");
        return 0;
    }
    const std::string storedPath = kFolder + rows[chosen].storedName;
    if (deleteFile)
        Require(files.deletes == std::vector<std::string>{storedPath}, "the stored file is deleted");
    else
        Require(files.moves.size() == 1 && files.moves[0].first == storedPath &&
                    files.moves[0].second == rows[chosen].caption,
                "the stored file goes back to its original path");
    std::vector<std::string> remaining = lines;
    EraseRecord(remaining, chosen);
    Require(!files.written.empty() && files.written.back() == JoinIndexLines(remaining),
            "the index is rewritten without the record and with every other line");
    return 0;
}
