#include "bvxtool_commands.h"

#include "bvxtool_base.h"
#include "bvxtool_files.h"
#include "bvxtool_hdb.h"
#include "bvxtool_list.h"
#include "bvxtool_scan.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <exception>
#include <ostream>

namespace bvxtool {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 2;

const char *const kUsage =
    "Usage:\n"
    "  bvxtool make LIST OUT.bvx        build a definition base from a definition list\n"
    "  bvxtool list BASE.bvx            print a base as a definition list\n"
    "  bvxtool pack PLAIN OUT.bvx       pack a plain file into a base container\n"
    "  bvxtool unpack BASE.bvx PLAIN    unpack a base container into a plain file\n"
    "  bvxtool fingerprint FILE...      print a kind 0 definition line for each file\n"
    "  bvxtool import-hdb FILE.hdb...   turn MD5:Size:Name hash lists into definition lines\n"
    "  bvxtool scan [--bases DIR] [--strict] PATH...\n"
    "                                   scan folders; exit code 0 clean, 1 found, 2 error\n";

int Usage(std::ostream &err, const std::string &problem) {
    err << "bvxtool: " << problem << "\n" << kUsage;
    return kFailed;
}

// Packs plain content into a container at target, through temporary files:
// a failed pack leaves whatever was at target untouched.
void PackContent(const std::string &content, const std::string &target) {
    TempFile plain;
    if (!plain.valid() || !WriteWholeFile(plain.path(), content))
        throw std::runtime_error("cannot write a temporary file");
    TempFile packed(FolderOf(target));
    if (!packed.valid())
        throw std::runtime_error("cannot create a file in " + FolderOf(target));
    brenvald::StringValue source(plain.path());
    brenvald::StringValue destination(packed.path());
    PackBase(source.get(), destination.get());
    if (!packed.MoveOver(target))
        throw std::runtime_error("cannot write " + target);
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
        return Usage(err, "make needs a list and an output file");
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
    try {
        PackContent(EncodeBase(list), basePath);
    } catch (const std::exception &error) {
        err << basePath << ": " << error.what() << "\n";
        return kFailed;
    }
    out << basePath << ": " << list.definitions.size() << " definitions\n";
    return kDone;
}

int ListCommand(const Arguments &arguments, std::ostream &out, std::ostream &err) {
    if (arguments.size() != 1)
        return Usage(err, "list needs one base");
    const std::string &basePath = arguments[0];
    try {
        DecodedBase base = DecodeBase(UnpackContent(basePath));
        out << FormatDefinitionList(base.list);
        for (const std::string &warning : base.warnings)
            err << basePath << ": warning: " << warning << "\n";
        return kDone;
    } catch (const std::exception &error) {
        err << basePath << ": " << BaseErrorText(error.what()) << "\n";
        return kFailed;
    }
}

int PackCommand(const Arguments &arguments, std::ostream &, std::ostream &err) {
    if (arguments.size() != 2)
        return Usage(err, "pack needs a plain file and an output file");
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
        return Usage(err, "unpack needs a base and an output file");
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
        return Usage(err, "fingerprint needs at least one file");
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
        return Usage(err, "import-hdb needs at least one hash list");
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

int RunCommand(const Arguments &commandLine, std::ostream &out, std::ostream &err,
               bool outputIsTerminal) {
    if (commandLine.empty())
        return Usage(err, "no command given");
    const std::string &command = commandLine[0];
    Arguments arguments(commandLine.begin() + 1, commandLine.end());
    if (command == "make")
        return MakeCommand(arguments, out, err);
    if (command == "list")
        return ListCommand(arguments, out, err);
    if (command == "pack")
        return PackCommand(arguments, out, err);
    if (command == "unpack")
        return UnpackCommand(arguments, out, err);
    if (command == "fingerprint")
        return FingerprintCommand(arguments, out, err);
    if (command == "import-hdb")
        return ImportHdbCommand(arguments, out, err);
    if (command == "scan")
        return ScanCommand(arguments, out, err, outputIsTerminal);
    if (command == "help" || command == "--help" || command == "/?") {
        out << kUsage;
        return kDone;
    }
    return Usage(err, "unknown command \"" + command + "\"");
}

} // namespace bvxtool
