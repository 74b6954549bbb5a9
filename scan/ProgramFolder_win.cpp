// The program folder from the program's own wide path, and its ANSI form.
#include "ProgramFolder.h"

#include "FolderPaths.h"
#include "FolderSearch.h"
#include "TextConversion.h"

#include <windows.h>

#include <vector>

namespace scanner {

const char *const UnspellableFolderReason =
    "the ANSI code page cannot spell the folder's name and the volume gives it no short name";
const char *const TooLongFolderReason = "the folder's ANSI path is longer than 259 characters";

namespace {

// The wide path of the running program file, however long.
std::wstring RunningProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string TProgramFolder::AnsiSubFolder(const std::string &name, std::string &reason) const {
    reason.clear();
    if (Ansi.empty()) {
        reason = Reason;
        return {};
    }
    const std::string joined = JoinWithinAnsiLimit(Ansi, name, "\\");
    if (joined.empty())
        reason = TooLongFolderReason;
    return joined;
}

TProgramFolder ProgramFolderOf(const std::wstring &programPath) {
    const std::wstring plain = PlainPathForm(programPath);
    TProgramFolder folder;
    folder.Wide = plain.substr(0, plain.find_last_of(L"\\/") + 1);
    folder.Shown = brenvald::Utf8FromWide(folder.Wide);
    const std::string exact = brenvald::ExactAnsiFromWide(folder.Wide);
    if (!exact.empty() && exact.size() <= AnsiPathLimit) {
        folder.Ansi = exact;
        return folder;
    }
    // The walk's rule: no short form is asked for where none can fit.
    const bool mayFit = ShortPathFloor(folder.Wide) <= AnsiPathLimit;
    const std::string shortForm = mayFit ? ShortAnsiPath(folder.Wide) : std::string();
    if (!shortForm.empty() && shortForm.size() <= AnsiPathLimit) {
        folder.Ansi = shortForm.back() == '\\' ? shortForm : shortForm + '\\';
        return folder;
    }
    folder.Reason = mayFit && exact.empty() && shortForm.empty() ? UnspellableFolderReason
                                                                 : TooLongFolderReason;
    return folder;
}

TProgramFolder RunningProgramFolder() { return ProgramFolderOf(RunningProgramPath()); }

std::string NoBasesLine(const TProgramFolder &folder, const std::string &reason) {
    return "No definition base can be loaded from [" + folder.Shown + "Bases\\] - [" + reason +
           "]";
}

} // namespace scanner
