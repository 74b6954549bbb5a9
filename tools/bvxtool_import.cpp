#include "bvxtool_import.h"

#include "BaseImage.h"
#include "BaseReport.h"
#include "bvxtool_files.h"
#include "bvxtool_pack.h"
#include "Definitions.h"
#include "FolderSearch.h"
#include "ImportError.h"
#include "ProgramFolder.h"
#include "ReportText.h"
#include "SignatureImport.h"
#include "TextConversion.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <array>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace bvxtool {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 2;

const char kUsage[] = "Usage: bvxtool import [--out DIR] FILE...\n(bvxtool help import says more)\n";

// One input read and converted, waiting to be written.
struct TImport {
    std::string path;
    std::string basePath;
    std::string bytes;
    DatabaseFile file;
    ImportResult result;
    std::unique_ptr<TempFile> packed;
};

// Names as the bases hold them: in the ANSI code page. A UTF-8 name is
// converted, and a character ANSI cannot spell becomes "?" (counted); bytes
// that are not UTF-8 are kept as they are.
bool SpellInAnsi(std::string &name) {
    bool ascii = true;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
    std::wstring wide;
    if (ascii || !brenvald::WideFromUtf8Exactly(name, wide))
        return true;
    bool inexact = false;
    name = brenvald::AnsiFromWideNoBestFit(wide, inexact);
    return !inexact;
}

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string LowerText(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// daily.cvd -> daily.bvx
std::string BaseNameFor(const std::string &inputPath) {
    std::string name = NameOf(inputPath);
    size_t dot = name.rfind('.');
    return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".bvx";
}

// A header text cut to its field, or the fallback when the text cannot be one.
std::string HeaderText(std::string text, const std::string &fallback) {
    if (text.size() > brenvald::kHeaderTextCapacity)
        text.resize(brenvald::kHeaderTextCapacity);
    return HeaderProblem(text).empty() ? text : fallback;
}

DefinitionList BaseListOf(TImport &import) {
    DefinitionList list;
    const std::string fileName = NameOf(import.path);
    if (import.file.header) {
        const DatabaseHeader &header = *import.file.header;
        const std::string baseName = BaseNameFor(import.path);
        list.header1 = HeaderText(baseName.substr(0, baseName.size() - 4) + " version " +
                                      std::to_string(header.version) + " of " + header.buildTime,
                                  fileName);
    } else {
        list.header1 = HeaderText(fileName, "imported signatures");
    }
    list.header2 = HeaderText("imported by bvxtool from " + fileName, "imported by bvxtool");
    list.definitions = std::move(import.result.definitions);
    return list;
}

void PrintHeader(const DatabaseFile &file, std::ostream &out) {
    const DatabaseHeader &header = *file.header;
    out << "  name: " << header.name << "\n"
        << "  build time: " << header.buildTime << "\n"
        << "  version: " << header.version << "\n"
        << "  signatures: " << header.signatureCount << "\n"
        << "  functionality level: " << header.functionalityLevel << "\n"
        << "  MD5: " << header.md5
        << (file.md5Matches ? " (matches the rest of the file)" : " (" + file.md5Note + ")") << "\n"
        << "  digital signature: not checked\n"
        << "  builder: " << header.builder << "\n";
}

void PrintMembers(const ImportResult &result, std::ostream &out) {
    for (const MemberReport &member : result.members) {
        out << "  " << member.member << ": ";
        if (!member.passedOver.empty()) {
            out << "passed over (" << member.passedOver << ")\n";
            continue;
        }
        out << member.converted << " converted, " << member.LeftOutTotal() << " left out";
        const char *separator = " (";
        for (const auto &reason : member.leftOut) {
            out << separator << reason.first << ": " << reason.second;
            separator = ", ";
        }
        out << (member.leftOut.empty() ? "" : ")") << "\n";
    }
    if (result.repeats)
        out << "  exact repeats left out: " << result.repeats << "\n";
    if (result.respelledNames)
        out << "  names with \"?\" for characters the ANSI code page cannot spell: "
            << result.respelledNames << "\n";
}

std::string KindCounts(const DefinitionList &list) {
    std::array<int64_t, 3> counts{};
    for (const Definition &definition : list.definitions)
        ++counts[static_cast<size_t>(definition.kind - '0')];
    return Counted(static_cast<int64_t>(list.definitions.size()), "definition", "definitions") +
           " (kind 0: " + std::to_string(counts[0]) + ", kind 1: " + std::to_string(counts[1]) +
           ", kind 2: " + std::to_string(counts[2]) + ")";
}

// The records every base below folder announces, as the scanner would load
// them all.
int64_t RecordsBelow(const std::string &folder, scanner::TEnteredFolders &entered) {
    if (!entered.Enter(folder))
        return 0;
    int64_t total = 0;
    scanner::ForEachFolderEntry(folder, [&](const scanner::FolderEntry &entry) {
        std::string path = folder + entry.AnsiName;
        int64_t records = 0;
        if (entry.IsFolder)
            total += RecordsBelow(path + "\\", entered);
        else if (LowerText(entry.Name).size() > 4 &&
                 LowerText(entry.Name).compare(entry.Name.size() - 4, 4, ".bvx") == 0 &&
                 scanner::AnnouncedRecords(path, records))
            total += records;
        return true;
    });
    return total;
}

void WarnWhenTheTableOverflows(const std::string &folder, std::ostream &err) {
    scanner::TEnteredFolders entered;
    const int64_t total = RecordsBelow(folder, entered);
    const int64_t slots = static_cast<int64_t>(brenvald::kSlotCount);
    if (total > slots)
        err << "warning: the bases in " << folder << " hold " << total
            << " records, more than the table's " << slots << " slots: the scanner will not use "
            << total - slots << " of them\n";
}

// Reads and converts one input; false (with the reason on err) when it
// cannot be imported.
bool ReadInput(TImport &import, const std::vector<std::string> &ignoredNames, std::ostream &err) {
    try {
        if (!ReadWholeFile(import.path, import.bytes)) {
            err << import.path << ": not imported: cannot read the file\n";
            return false;
        }
        import.file = ReadDatabaseFile(import.path, import.bytes);
        import.result = ConvertMembers(import.file.members, ignoredNames, SpellInAnsi);
        return true;
    } catch (const ImportError &error) {
        err << import.path << ": not imported: " << error.what() << "\n";
    } catch (const std::bad_alloc &) {
        err << import.path << ": not imported: out of memory\n";
    }
    return false;
}

// Converts, prints and packs one input beside its base; false on a failure.
bool ImportOne(TImport &import, const std::vector<std::string> &ignoredNames, std::ostream &out,
               std::ostream &err) {
    if (!ReadInput(import, ignoredNames, err))
        return false;
    out << import.path << ":\n";
    if (import.file.header)
        PrintHeader(import.file, out);
    PrintMembers(import.result, out);
    DefinitionList list = BaseListOf(import);
    out << "  " << import.basePath << ": " << KindCounts(list) << "\n";
    import.bytes.clear();
    import.bytes.shrink_to_fit();
    import.file = DatabaseFile();
    try {
        import.packed = PackBeside(EncodeBase(list), import.basePath);
    } catch (const std::exception &error) {
        err << import.basePath << ": not written: " << error.what() << "\n";
        return false;
    }
    return true;
}

int ImportFiles(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err) {
    // The default is Bases\ beside bvxtool.exe, whatever the folder's name;
    // the engine's file calls need its ANSI path.
    const scanner::TProgramFolder programFolder = scanner::RunningProgramFolder();
    std::string noAnsiPath;
    std::string folder = programFolder.AnsiSubFolder("Bases", noAnsiPath);
    std::vector<std::string> inputs;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--out") {
            if (i + 1 == arguments.size()) {
                err << "bvxtool: --out needs a folder\n" << kUsage;
                return kFailed;
            }
            folder = WithBackslash(arguments[++i]);
        } else {
            inputs.push_back(arguments[i]);
        }
    }
    if (inputs.empty()) {
        err << "bvxtool: import needs at least one signature file\n" << kUsage;
        return kFailed;
    }
    if (folder.empty()) {
        err << "import: " << scanner::NoBasesLine(programFolder, noAnsiPath) << "; give --out DIR\n";
        return kFailed;
    }
    if (!IsFolder(folder)) {
        err << folder << ": not imported: no such folder\n";
        return kFailed;
    }

    // Loose ignore lists make no base: they leave names out of every other input.
    std::vector<std::string> ignoredNames;
    std::vector<TImport> imports;
    bool failed = false;
    for (const std::string &input : inputs) {
        std::string bytes;
        if (IsIgnoreList(NameOf(input))) {
            if (!ReadWholeFile(input, bytes)) {
                err << input << ": not imported: cannot read the file\n";
                failed = true;
                continue;
            }
            std::vector<std::string> names = IgnoreListNames(bytes);
            out << input << ": an ignore list of "
                << Counted(static_cast<int64_t>(names.size()), "name", "names") << "\n";
            ignoredNames.insert(ignoredNames.end(), names.begin(), names.end());
            continue;
        }
        TImport import;
        import.path = input;
        import.basePath = folder + BaseNameFor(input);
        for (const TImport &earlier : imports)
            if (LowerText(earlier.basePath) == LowerText(import.basePath)) {
                err << input << ": not imported: " << earlier.path << " makes the same base "
                    << import.basePath << "\n";
                failed = true;
            }
        imports.push_back(std::move(import));
    }
    // Every input is read, so that each problem is told at once.
    for (TImport &import : imports)
        if (!ImportOne(import, ignoredNames, out, err))
            failed = true;
    if (failed) {
        err << "nothing written\n";
        return kFailed;
    }
    for (size_t i = 0; i < imports.size(); ++i)
        if (!imports[i].packed->MoveOver(imports[i].basePath)) {
            err << imports[i].basePath << ": cannot write the base ("
                << Counted(static_cast<int64_t>(i), "base", "bases") << " written before it)\n";
            return kFailed;
        }
    out << Counted(static_cast<int64_t>(imports.size()), "base", "bases") << " written to "
        << folder << "\n";
    WarnWhenTheTableOverflows(folder, err);
    return kDone;
}

} // namespace

int ImportCommand(const std::vector<std::string> &arguments, std::ostream &out,
                  std::ostream &err) {
    // The inputs' own failures are told where they happen; memory can run
    // out anywhere with a database of millions of lines.
    try {
        return ImportFiles(arguments, out, err);
    } catch (const std::bad_alloc &) {
        err << "import: out of memory; nothing written\n";
        return kFailed;
    }
}

} // namespace bvxtool
