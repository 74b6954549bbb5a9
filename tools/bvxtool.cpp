// bvxtool: makes, inspects and converts definition bases, and scans folders
// without a window. See `bvxtool help`.
#include "bvxtool_commands.h"

#include <windows.h>

#include <iostream>

namespace {

// True when standard output is a console rather than a file or a pipe.
bool OutputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

} // namespace

int main(int argc, char **argv) {
    bvxtool::Arguments commandLine(argv + 1, argv + argc);
    int status = bvxtool::RunCommand(commandLine, std::cout, std::cerr, OutputIsConsole());
    std::cout.flush();
    return status;
}
