#include "SystemErrorText.h"

#include "TextConversion.h"

#include <windows.h>

#include <cstring>

namespace brenvald {

namespace {

constexpr DWORD kFormatFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

std::string Trimmed(std::string text, const char *trimmed) {
    while (!text.empty() && std::strchr(trimmed, text.back()))
        text.pop_back();
    return text;
}

} // namespace

std::optional<std::string> SystemErrorTextAnsi(unsigned long code, const char *trimmed) {
    char *buffer = nullptr;
    const DWORD length = FormatMessageA(kFormatFlags, nullptr, code, 0,
                                        reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::optional<std::string> text;
    if (length)
        text = Trimmed(std::string(buffer, length), trimmed);
    if (buffer)
        LocalFree(buffer);
    return text;
}

std::optional<std::string> SystemErrorTextUtf8(unsigned long code, const char *trimmed) {
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(kFormatFlags, nullptr, code, 0,
                                        reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::optional<std::string> text;
    if (length)
        text = Trimmed(Utf8FromWide(std::wstring(buffer, length)), trimmed);
    if (buffer)
        LocalFree(buffer);
    return text;
}

} // namespace brenvald
