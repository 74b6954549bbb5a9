#include "bvxtool_commands.h"

#include "BaseImage.h"
#include "bvxtool_check.h"
#include "bvxtool_files.h"
#include "bvxtool_import.h"
#include "bvxtool_pack.h"
#include "HashList.h"
#include "DefinitionIndex.h"
#include "DefinitionList.h"
#include "bvxtool_scan.h"
#include "ReportText.h"
#include "bvxtool_version.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <algorithm>
#include <exception>
#include <ostream>

namespace bvxtool {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 2;

struct CommandHelp {
    const char *name;
    const char *synopsis;  // the arguments after "bvxtool"
    const char *summary;   // one line for the overview
    const char *details;   // what `help NAME` adds
};

const CommandHelp kCommands[] = {
    {"make", "make LIST OUT.bvx", "build a definition base from a definition list",
     "Reads a definition list (one definition a line: kind, name, signature, offset,\n"
     "separated by tabs; #header1 and #header2 set the headers) and writes the base.\n"
     "Every line is checked first: a bad line stops with file:line: reason and no\n"
     "base is written. A definition that repeats an earlier one exactly is kept and\n"
     "warned about with both line numbers.\n"},
    {"list", "list BASE.bvx", "print a base as a definition list",
     "Prints the headers, a count and every record as a definition list that make\n"
     "rebuilds into the same bytes; records make would refuse are warned about.\n"},
    {"check", "check BASE...", "load each base as the scanner does and report it",
     "Loads each base alone into a fresh definition table, the way the scanner\n"
     "loads it, and prints its headers and its records by kind, or the reason it\n"
     "did not load. Exit code 0 when every base loaded, 2 otherwise.\n"},
    {"pack", "pack PLAIN OUT.bvx", "pack a plain file into a base container",
     "Packs any file, as it is, into a base container.\n"},
    {"unpack", "unpack BASE.bvx PLAIN", "unpack a base container into a plain file",
     "Writes the plain content of a base container into a file.\n"},
    {"fingerprint", "fingerprint FILE...", "print a kind 0 definition line for each file",
     "Prints one kind 0 definition line per file, named after the file; redirect\n"
     "the output into a list.\n"},
    {"import-hdb", "import-hdb FILE.hdb...",
     "turn MD5:Size:Name hash lists into definition lines",
     "Converts each line of MD5:Size:Name hash lists into a kind 0 definition line;\n"
     "lines no fingerprint can say are skipped and counted on standard error.\n"},
    {"import", "import [--out DIR] FILE...",
     "make a base of each signature database file (.cvd, .cld, .hdb, .ndb)",
     "Makes one base per input, named after it (daily.cvd gives daily.bvx), in DIR\n"
     "or in Bases beside bvxtool.exe. Inputs are signature database files (.cvd,\n"
     "compressed, and .cld, unpacked: their header is read strictly and the MD5 of\n"
     "a .cvd checked; the digital signature is not checked), bare tar or tar.gz\n"
     "archives, and loose .hdb, .hsb and .ndb lists; the form is told by the bytes.\n"
     "Kept: MD5:Size:Name hashes as kind 0 (as import-hdb does), .ndb body\n"
     "signatures of target type 0 or 1 with offset * and plain hex bytes that fit\n"
     "the signature field as kind 1, and with an absolute offset and four plain\n"
     "bytes as kind 2. Names in .ign and .ign2 lists (in the database, or given\n"
     "as inputs) are left out; so is everything else, counted per member and reason,\n"
     "and exact repeats after the first. A base is written beside and renamed only\n"
     "when every input was read; on any failure nothing is written.\n"},
    {"scan", "scan [--bases DIR] [--strict] PATH...",
     "scan folders and files; exit code 0 clean, 1 found, 2 error",
     "Scans folders with the scanner's file selection, checks and log lines, and\n"
     "checks each named file whatever its name. The bases come from Bases beside\n"
     "bvxtool.exe or from DIR and its subfolders. With --strict a base that does\n"
     "not load ends the command with exit code 2 before anything is scanned.\n"},
    {"help", "help [COMMAND]", "print this overview, or the usage of one command", ""},
};

const CommandHelp *FindCommandHelp(const std::string &name) {
    for (const CommandHelp &command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

std::string Overview() {
    std::string text = "Usage:\n";
    for (const CommandHelp &command : kCommands) {
        std::string line = std::string("  bvxtool ") + command.synopsis;
        line += line.size() < 35 ? std::string(35 - line.size(), ' ') : "\n" + std::string(35, ' ');
        text += line + command.summary + "\n";
    }
    text += "  bvxtool --version                print the versions of bvxtool and Kernel.dll\n";
    return text;
}

std::string CommandUsage(const CommandHelp &command) {
    return std::string("Usage: bvxtool ") + command.synopsis + "\n" + command.details;
}

// An unusable call: the problem, then the usage of the command when known.
int Usage(std::ostream &err, const std::string &problem, const char *commandName = nullptr) {
    err << "bvxtool: " << problem << "\n";
    const CommandHelp *command = commandName ? FindCommandHelp(commandName) : nullptr;
    if (command)
        err << "Usage: bvxtool " << command->synopsis << "\n(bvxtool help " << command->name
            << " says more)\n";
    else
        err << Overview();
    return kFailed;
}

bool AsksForHelp(const std::string &argument) {
    return argument == "--help" || argument == "-h" || argument == "/?";
}

// The plain content of a container.
std::string UnpackContent(const std::string &base) {
    TempFile plain;
    if (!plain.valid())
        throw std::runtime_error("cannot create a temporary file");
    UnPakBase(base.c_str(), plain.path().c_str());
    std::string content;
    if (!ReadWholeFile(plain.path(), content))
        throw std::runtime_error("cannot read the unpacked content");
    return content;
}

} // namespace

int MakeCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.size() != 2)
        return Usage(err, "make needs a list and an output file", "make");
    const std::string &listPath = arguments[0];
    const std::string &basePath = arguments[1];
    std::string text;
    if (!ReadWholeFile(listPath, text)) {
        err << listPath << ": cannot read the file\n";
        return kFailed;
    }
    DefinitionList list;
    try {
        list = ParseDefinitionList(text, listPath);
    } catch (const ListError &error) {
        err << error.what() << "\n";
        return kFailed;
    }
    for (const DuplicateDefinition &duplicate : list.duplicates)
        err << listPath << ":" << duplicate.line << ": warning: the same definition as on line "
            << duplicate.firstLine << "\n";
    try {
        PackContent(EncodeBase(list), basePath);
    } catch (const std::exception &error) {
        err << basePath << ": " << error.what() << "\n";
        return kFailed;
    }
    out << basePath << ": "
        << Counted(static_cast<int64_t>(list.definitions.size()), "definition", "definitions");
    if (!list.duplicates.empty())
        out << " ("
            << Counted(static_cast<int64_t>(list.duplicates.size()), "repeat", "repeats")
            << ")";
    out << "\n";
    return kDone;
}

int ListCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.size() != 1)
        return Usage(err, "list needs one base", "list");
    const std::string &basePath = arguments[0];
    try {
        DecodedBase base = DecodeBase(UnpackContent(basePath));
        out << FormatDefinitionList(base.list);
        for (const std::string &warning : base.warnings)
            err << basePath << ": warning: " << warning << "\n";
        const auto unusedOffsets = std::count_if(
            base.list.definitions.begin(), base.list.definitions.end(),
            [](const Definition &definition) {
                return scanner::IsUnusedOffsetSignature(definition.kind, definition.offset);
            });
        if (unusedOffsets > 0)
            err << basePath << ": warning: " << UnusedOffsetsText(unusedOffsets) << "\n";
        return kDone;
    } catch (const std::exception &error) {
        err << basePath << ": " << BaseErrorText(error.what()) << "\n";
        return kFailed;
    }
}

int PackCommand(const Arguments &arguments, std::ostream &, std::ostream &err) {
    if (arguments.size() != 2)
        return Usage(err, "pack needs a plain file and an output file", "pack");
    try {
        brenvald::StringValue source(arguments[0]);
        brenvald::StringValue target(arguments[1]);
        PackBase(source.get(), target.get());
        return kDone;
    } catch (const std::exception &error) {
        err << "pack: " << error.what() << "\n";
        return kFailed;
    }
}

int UnpackCommand(const Arguments &arguments, std::ostream &, std::ostream &err) {
    if (arguments.size() != 2)
        return Usage(err, "unpack needs a base and an output file", "unpack");
    try {
        UnPakBase(arguments[0].c_str(), arguments[1].c_str());
        return kDone;
    } catch (const std::exception &error) {
        err << "unpack: " << error.what() << "\n";
        return kFailed;
    }
}

int FingerprintCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.empty())
        return Usage(err, "fingerprint needs at least one file", "fingerprint");
    int status = kDone;
    for (const std::string &path : arguments) {
        brenvald::StringValue pathValue(path);
        const char *fingerprint = GetFileMd5Hash(pathValue.get());
        std::string text = fingerprint ? fingerprint : "";
        if (text.empty()) {
            err << path << ": cannot read the file\n";
            status = kFailed;
        } else if (text.size() >= 3 && text.compare(text.size() - 3, 3, ":-1") == 0) {
            // The size part says the file was in use: such a text matches no file.
            err << path << ": the file is in use, its size is not available\n";
            status = kFailed;
        } else {
            Definition definition;
            definition.kind = brenvald::kKindMd5Fingerprint;
            definition.name = NameOf(path).substr(0, brenvald::kNameCapacity);
            definition.signature = text;
            out << FormatDefinitionLine(definition) << "\n";
        }
    }
    return status;
}

int ImportHdbCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.empty())
        return Usage(err, "import-hdb needs at least one hash list", "import-hdb");
    int status = kDone;
    for (const std::string &path : arguments) {
        std::string text;
        if (!ReadWholeFile(path, text)) {
            err << path << ": cannot read the file\n";
            status = kFailed;
            continue;
        }
        HdbConversion conversion = ConvertHdb(text);
        for (const Definition &definition : conversion.definitions)
            out << FormatDefinitionLine(definition) << "\n";
        for (const MalformedLine &line : conversion.malformedLines)
            err << path << ":" << line.line << ": skipped: " << line.reason << "\n";
        err << path << ": " << HdbSummary(conversion) << "\n";
    }
    return status;
}

int HelpCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.empty()) {
        out << Overview();
        return kDone;
    }
    if (arguments.size() > 1)
        return Usage(err, "help takes one command", "help");
    const CommandHelp *command = FindCommandHelp(arguments[0]);
    if (!command)
        return Usage(err, "no command \"" + arguments[0] + "\" to help with");
    out << CommandUsage(*command);
    return kDone;
}

int VersionCommand(std::ostream &out) {
    out << "bvxtool " << ProgramVersion() << "\n"
        << "Kernel.dll library version " << ShowVersion() << ", engine version "
        << GetKernelVersion() << "\n";
    return kDone;
}

bool PrintsDefinitionList(const Arguments &commandLine) {
    if (commandLine.empty())
        return false;
    const std::string &command = commandLine[0];
    return command == "list" || command == "fingerprint" || command == "import-hdb";
}

int RunCommand(const Arguments &commandLine, std::ostream &out, std::ostream &err,
               bool outputIsTerminal) {
    if (commandLine.empty())
        return Usage(err, "no command given");
    const std::string &command = commandLine[0];
    Arguments arguments(commandLine.begin() + 1, commandLine.end());
    // "bvxtool make --help" is "bvxtool help make".
    if (arguments.size() == 1 && AsksForHelp(arguments[0]) && FindCommandHelp(command))
        return HelpCommand({command}, out, err);
    if (command == "help" || AsksForHelp(command))
        return HelpCommand(arguments, out, err);
    if (command == "--version")
        return VersionCommand(out);
    if (command == "make")
        return MakeCommand(arguments, out, err);
    if (command == "list")
        return ListCommand(arguments, out, err);
    if (command == "check")
        return arguments.empty() ? Usage(err, "check needs at least one base", "check")
                                 : CheckCommand(arguments, out, err);
    if (command == "pack")
        return PackCommand(arguments, out, err);
    if (command == "unpack")
        return UnpackCommand(arguments, out, err);
    if (command == "fingerprint")
        return FingerprintCommand(arguments, out, err);
    if (command == "import-hdb")
        return ImportHdbCommand(arguments, out, err);
    if (command == "import")
        return ImportCommand(arguments, out, err);
    if (command == "scan")
        return ScanCommand(arguments, out, err, outputIsTerminal);
    return Usage(err, "unknown command \"" + command + "\"");
}

} // namespace bvxtool
