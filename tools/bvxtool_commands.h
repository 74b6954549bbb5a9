// The commands of bvxtool. Each takes its arguments (after the command name)
// and the two output streams, and returns the process exit code: 0 done,
// 2 on an error (scan: 0 clean, 1 something found, 2 error).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace bvxtool {

using Arguments = std::vector<std::string>;

int MakeCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
int ListCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
int PackCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
int UnpackCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
int FingerprintCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
int ImportHdbCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
// arguments: [COMMAND]; the overview, or the usage of one command.
int HelpCommand(const Arguments &arguments, std::ostream &out, std::ostream &err);
// The versions of bvxtool and of Kernel.dll (library and engine).
int VersionCommand(std::ostream &out);

// True for the commands whose standard output is definition list text,
// which goes to a file as the bytes it is, for make to read back.
bool PrintsDefinitionList(const Arguments &commandLine);

// Runs the command named by the first argument; usage on a bad call.
// outputIsTerminal: out is a console, where a scan may show its progress.
int RunCommand(const Arguments &commandLine, std::ostream &out, std::ostream &err,
               bool outputIsTerminal);

} // namespace bvxtool
