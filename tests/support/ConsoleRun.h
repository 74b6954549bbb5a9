// A console program run to its end with its output caught, for the tests
// that drive the installer and the shipped tools from outside.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

struct ConsoleRun {
    DWORD exitCode = 0xFFFFFFFF; // stays so when it did not start or end in time
    std::string output;          // standard output and standard error
};

// Runs the command line from C:\ with standard output and standard error
// going to outputPath (removed afterwards), and waits up to waitMs; a program
// still running then is ended.
ConsoleRun RunConsole(const std::wstring &commandLine, const std::wstring &outputPath,
                      DWORD waitMs);

} // namespace testsupport
