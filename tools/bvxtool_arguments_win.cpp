#include "bvxtool_arguments.h"

#include <windows.h>
#include <shellapi.h>

namespace bvxtool {

namespace {

// The text in the ANSI code page; inexact tells whether a character had
// no exact form (best-fit look-alikes are refused too).
std::string AnsiText(const std::wstring &text, bool &inexact) {
    inexact = false;
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                           nullptr, 0, nullptr, &usedDefault);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, &ansi[0], length,
                            nullptr, &usedDefault);
    inexact = length <= 0 || usedDefault;
    return ansi;
}

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
    const std::string ansi = AnsiText(shortPath, inexact);
    return inexact ? std::string() : ansi;
}

} // namespace

std::string ArgumentText(const std::wstring &argument) {
    bool inexact = false;
    const std::string ansi = AnsiText(argument, inexact);
    if (!inexact)
        return ansi;
    const std::string shortForm = ShortAnsiForm(argument);
    return shortForm.empty() ? ansi : shortForm;
}

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (!wide)
        return arguments;
    // The first is the program itself.
    for (int i = 1; i < count; ++i)
        arguments.push_back(ArgumentText(wide[i]));
    LocalFree(wide);
    return arguments;
}

} // namespace bvxtool
