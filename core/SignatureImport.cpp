#include "SignatureImport.h"

#include "GzipInflate.h"
#include "HashList.h"
#include "ImportError.h"
#include "Md5.h"
#include "NdbLine.h"
#include "ReportText.h"

#include <brenvald/DefinitionTable.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <unordered_set>

namespace bvxtool {

namespace {

std::string LowerExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? "" : name.substr(dot));
    for (char &c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool IsHashList(const std::string &extension) { return extension == ".hdb" || extension == ".hsb"; }
bool IsBodyList(const std::string &extension) { return extension == ".ndb"; }

// Members whose lines no definition can say, by the reason given for each.
struct LeftOutKind {
    const char *extensions;  // blank-separated, each with its dot
    const char *reason;
};

const LeftOutKind kLeftOutKinds[] = {
    {".hdu .hsu .ndu .mdu .msu .ldu", "potentially unwanted, not loaded by default"},
    {".mdb .msb .imp", "section or import hashes"},
    {".ldb", "logical signatures"},
    {".cdb", "container metadata signatures"},
    {".cbc", "bytecode"},
    {".fp .sfp", "allow-list entries"},
    {".pdb .gdb .wdb", "phishing address lists"},
    {".ftm", "file type rules"},
    {".idb", "icon signatures"},
    {".crb .cat", "certificate rules"},
    {".yar .yara", "rule files of another language"},
};

const char *LeftOutReason(const std::string &extension) {
    if (extension.empty())
        return nullptr;
    for (const LeftOutKind &kind : kLeftOutKinds) {
        std::string_view list = kind.extensions;
        size_t at = list.find(extension);
        while (at != std::string_view::npos) {
            size_t end = at + extension.size();
            if (end == list.size() || list[end] == ' ')
                return kind.reason;
            at = list.find(extension, at + 1);
        }
    }
    return nullptr;
}

// The lines that count: not blank, not a "#" comment; without the "\r".
template <typename ReadLine>
void ForEachSignatureLine(std::string_view content, ReadLine readLine) {
    ForEachTextLine(content, [&](std::string_view line, size_t) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#')
            return;
        readLine(line);
    });
}

size_t SignatureLineCount(std::string_view content) {
    size_t count = 0;
    ForEachSignatureLine(content, [&](std::string_view) { ++count; });
    return count;
}

class TMemberConverter {
public:
    TMemberConverter(const std::vector<std::string> &ignoredNames, const NameSpeller &speller,
                     ImportResult &result)
        : ignored_(ignoredNames.begin(), ignoredNames.end()), speller_(speller), result_(result) {}

    void Convert(const TarMember &member) {
        MemberReport report;
        report.member = member.name;
        std::string extension = LowerExtension(member.name);
        if (IsHashList(extension))
            ConvertHashList(member.content, report);
        else if (IsBodyList(extension))
            ConvertBodyList(member.content, report);
        else if (IsIgnoreList(member.name))
            report.passedOver =
                "an ignore list of " +
                Counted(static_cast<int64_t>(IgnoreListNames(member.content).size()), "name", "names");
        else if (const char *reason = LeftOutReason(extension))
            report.LeaveOut(reason, SignatureLineCount(member.content));
        else if (extension == ".info")
            report.passedOver = "the database's own index";
        else
            report.passedOver = "not a signature list";
        result_.members.push_back(std::move(report));
    }

private:
    void ConvertHashList(std::string_view content, MemberReport &report) {
        HdbConversion conversion = ConvertHdb(content);
        const HdbSkips &skips = conversion.skips;
        report.LeaveOut("size * (any size)", skips.starSize);
        report.LeaveOut("SHA1 hash", skips.sha1);
        report.LeaveOut("SHA256 hash", skips.sha256);
        report.LeaveOut("size 0", skips.zeroSize);
        report.LeaveOut("malformed line", skips.malformed);
        for (Definition &definition : conversion.definitions)
            Keep(std::move(definition), report);
    }

    void ConvertBodyList(std::string_view content, MemberReport &report) {
        ForEachSignatureLine(content, [&](std::string_view line) {
            Definition definition;
            NdbVerdict verdict = ConvertNdbLine(line, definition);
            if (verdict == NdbVerdict::Converted)
                Keep(std::move(definition), report);
            else
                report.LeaveOut(NdbVerdictText(verdict));
        });
    }

    void Keep(Definition definition, MemberReport &report) {
        if (ignored_.count(definition.name)) {
            ++result_.ignored;
            report.LeaveOut("named by an ignore list");
            return;
        }
        if (!speller_(definition.name))
            ++result_.respelledNames;
        if (definition.name.size() > brenvald::kNameCapacity)
            definition.name.resize(brenvald::kNameCapacity);
        std::string problem = DefinitionProblem(definition);
        if (!problem.empty()) {
            report.LeaveOut("unusable: " + problem);
            return;
        }
        ++report.converted;
        result_.definitions.push_back(std::move(definition));
    }

    std::unordered_set<std::string> ignored_;
    const NameSpeller &speller_;
    ImportResult &result_;
};

// Leaves out every exact repeat after its first, keeping the order.
size_t RemoveRepeats(std::vector<Definition> &definitions) {
    const std::vector<uint32_t> order = PositionsByFields(definitions);
    std::vector<bool> repeat(definitions.size(), false);
    size_t repeats = 0;
    for (size_t i = 1; i < order.size(); ++i)
        if (SameFields(definitions[order[i]], definitions[order[i - 1]])) {
            repeat[order[i]] = true;
            ++repeats;
        }
    if (repeats == 0)
        return 0;
    size_t kept = 0;
    for (size_t i = 0; i < definitions.size(); ++i)
        if (!repeat[i]) {
            if (kept != i)
                definitions[kept] = std::move(definitions[i]);
            ++kept;
        }
    definitions.resize(kept);
    return repeats;
}

std::vector<TarMember> ReadArchive(std::string_view bytes, DatabaseFile &file) {
    if (StartsAsGzip(bytes)) {
        file.compressed = true;
        file.unpacked = InflateGzip(bytes);
        if (!StartsAsTarArchive(file.unpacked))
            throw ImportError("the unpacked data is not a tar archive");
        return ReadTarArchive(file.unpacked);
    }
    if (StartsAsTarArchive(bytes))
        return ReadTarArchive(bytes);
    throw ImportError("after the header comes neither gzip data nor a tar archive");
}

} // namespace

void MemberReport::LeaveOut(const std::string &reason, size_t count) {
    if (count == 0)
        return;
    for (auto &entry : leftOut)
        if (entry.first == reason) {
            entry.second += count;
            return;
        }
    leftOut.emplace_back(reason, count);
}

size_t MemberReport::LeftOutTotal() const {
    size_t total = 0;
    for (const auto &entry : leftOut)
        total += entry.second;
    return total;
}

DatabaseFile ReadDatabaseFile(std::string_view fileName, std::string_view bytes) {
    DatabaseFile file;
    if (StartsAsDatabaseHeader(bytes)) {
        file.header = ReadDatabaseHeader(bytes);
        std::string_view rest = bytes.substr(kDatabaseHeaderSize);
        kernel::Md5Digest digest = kernel::Md5Of(rest.data(), rest.size());
        file.md5Matches = kernel::LowerHexText(digest.data(), digest.size()) == file.header->md5;
        if (!file.md5Matches) {
            // An unpacked database (.cld) keeps the header of the compressed
            // file it was made from; only the archive's checksums can be
            // checked then. A compressed one must match.
            if (StartsAsGzip(rest))
                throw ImportError("the MD5 in the header does not match the rest of the file: "
                                  "the file is damaged or cut");
            file.md5Note = "the header's MD5 is not that of this unpacked archive (as in a file "
                           "unpacked or updated in place); the archive's own checksums are checked";
        }
        file.members = ReadArchive(rest, file);
        return file;
    }
    if (StartsAsGzip(bytes) || StartsAsTarArchive(bytes)) {
        file.members = ReadArchive(bytes, file);
        return file;
    }
    size_t separator = fileName.find_last_of("\\/:");
    std::string name(separator == std::string_view::npos ? fileName : fileName.substr(separator + 1));
    file.members.push_back({std::move(name), bytes});
    return file;
}

bool IsIgnoreList(std::string_view name) {
    std::string extension = LowerExtension(name);
    return extension == ".ign" || extension == ".ign2";
}

std::vector<std::string> IgnoreListNames(std::string_view content) {
    std::vector<std::string> names;
    ForEachSignatureLine(content, [&](std::string_view line) {
        // ".ign2": the name, maybe followed by ":" and an MD5 of the line;
        // the older ".ign": database:line:name.
        std::vector<std::string_view> fields;
        size_t start = 0;
        for (;;) {
            size_t colon = line.find(':', start);
            fields.push_back(line.substr(start, colon == std::string_view::npos ? colon : colon - start));
            if (colon == std::string_view::npos)
                break;
            start = colon + 1;
        }
        std::string_view name = fields.size() >= 3 ? fields[2] : fields[0];
        if (!name.empty())
            names.emplace_back(name);
    });
    return names;
}

ImportResult ConvertMembers(const std::vector<TarMember> &members,
                            const std::vector<std::string> &ignoredNames,
                            const NameSpeller &speller) {
    std::vector<std::string> allIgnored = ignoredNames;
    for (const TarMember &member : members)
        if (IsIgnoreList(member.name)) {
            std::vector<std::string> names = IgnoreListNames(member.content);
            allIgnored.insert(allIgnored.end(), names.begin(), names.end());
        }
    ImportResult result;
    result.ignoreListNames = allIgnored.size();
    // At most one definition a line of the lists converted: reserved at once,
    // so that a million definitions are not moved about as they come.
    size_t lines = 0;
    for (const TarMember &member : members) {
        std::string extension = LowerExtension(member.name);
        if (IsHashList(extension) || IsBodyList(extension))
            lines += static_cast<size_t>(std::count(member.content.begin(), member.content.end(), '\n')) + 1;
    }
    result.definitions.reserve(lines);
    TMemberConverter converter(allIgnored, speller, result);
    for (const TarMember &member : members)
        converter.Convert(member);
    result.repeats = RemoveRepeats(result.definitions);
    return result;
}

} // namespace bvxtool
