#include "bvxtool_arguments.h"

#include "FolderSearch.h"
#include "TextConversion.h"
#include "WinHandle.h"

#include <windows.h>
#include <shellapi.h>

namespace bvxtool {

std::string ArgumentText(const std::wstring &argument) {
    bool inexact = false;
    const std::string ansi = brenvald::AnsiFromWideNoBestFit(argument, inexact);
    if (!inexact)
        return ansi;
    const std::string shortForm = scanner::ShortAnsiPath(argument);
    return shortForm.empty() ? ansi : shortForm;
}

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    const brenvald::LocalMemory<LPWSTR *> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    if (!wide)
        return arguments;
    // The first is the program itself.
    for (int i = 1; i < count; ++i)
        arguments.push_back(ArgumentText(wide.get()[i]));
    return arguments;
}

} // namespace bvxtool
