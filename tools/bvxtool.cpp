// bvxtool: makes, inspects and converts definition bases, and scans folders
// without a window. See `bvxtool help`.
#include "bvxtool_arguments.h"
#include "bvxtool_commands.h"
#include "bvxtool_console.h"

#include <windows.h>

#include <ostream>

int main() {
    const bvxtool::Arguments commandLine = bvxtool::CommandLineArguments();
    const bvxtool::RedirectedForm outForm = bvxtool::PrintsDefinitionList(commandLine)
                                                ? bvxtool::RedirectedForm::Bytes
                                                : bvxtool::RedirectedForm::Utf8;
    bvxtool::TConsoleText outText(GetStdHandle(STD_OUTPUT_HANDLE), outForm);
    bvxtool::TConsoleText errText(GetStdHandle(STD_ERROR_HANDLE), bvxtool::RedirectedForm::Utf8);
    std::ostream out(&outText);
    std::ostream err(&errText);
    int status = bvxtool::RunCommand(commandLine, out, err, outText.IsConsole());
    out.flush();
    err.flush();
    return status;
}
