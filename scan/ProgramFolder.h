// The program folder: the folder of the running program file, whatever its
// name. It is kept wide for the wide file calls (Quarantine\, ver.ini), in
// UTF-8 for the log and the messages, and as an ANSI path for the engine's
// ANSI exports (the base files below Bases\): the real path where the ANSI
// code page spells it exactly, else its short form. Where no ANSI path
// reaches the folder, the reason says why.
#pragma once

#include <string>

namespace scanner {

struct TProgramFolder {
    std::wstring Wide;  // a plain path, ending with a backslash
    std::string Shown;  // UTF-8, ending with a backslash
    std::string Ansi;   // ending with a backslash; empty when no ANSI path reaches it
    std::string Reason; // why Ansi is empty

    // The ANSI path of a sub-folder (name is plain ASCII, e.g. "Bases"),
    // ending with a backslash; empty with the reason set when none reaches it.
    std::string AnsiSubFolder(const std::string &name, std::string &reason) const;
};

// The reasons a folder has no ANSI path.
extern const char *const UnspellableFolderReason;
extern const char *const TooLongFolderReason;

// The folder of a program file given by its wide path (plain or "\\?\").
TProgramFolder ProgramFolderOf(const std::wstring &programPath);
// The folder of the running program file, from its wide path of any length.
TProgramFolder RunningProgramFolder();

// The log line for a bases folder that no ANSI path reaches:
// "No definition base can be loaded from [<folder>Bases\] - [<reason>]".
std::string NoBasesLine(const TProgramFolder &folder, const std::string &reason);

} // namespace scanner
