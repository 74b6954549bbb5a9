#include "bvxtool_arguments.h"

#include "TextConversion.h"
#include "WinHandle.h"

#include <windows.h>
#include <shellapi.h>

namespace bvxtool {

namespace {

// The short form of an existing path, when the ANSI code page spells it.
std::string ShortAnsiForm(const std::wstring &path) {
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0)
        return {};
    std::wstring shortPath(length, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), &shortPath[0], length);
    if (written == 0 || written >= length)
        return {};
    shortPath.resize(written);
    bool inexact = false;
    const std::string ansi = brenvald::AnsiFromWideNoBestFit(shortPath, inexact);
    return inexact ? std::string() : ansi;
}

} // namespace

std::string ArgumentText(const std::wstring &argument) {
    bool inexact = false;
    const std::string ansi = brenvald::AnsiFromWideNoBestFit(argument, inexact);
    if (!inexact)
        return ansi;
    const std::string shortForm = ShortAnsiForm(argument);
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
