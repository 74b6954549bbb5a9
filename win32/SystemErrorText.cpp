#include "SystemErrorText.h"

#include "TextConversion.h"
#include "WinHandle.h"

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

// FORMAT_MESSAGE_ALLOCATE_BUFFER: the system allocates the buffer and writes
// its address where the buffer argument points.
std::optional<std::string> SystemErrorTextAnsi(unsigned long code, const char *trimmed) {
    LocalMemory<char *> buffer;
    const DWORD length = FormatMessageA(kFormatFlags, nullptr, code, 0,
                                        reinterpret_cast<char *>(buffer.put()), 0, nullptr);
    if (!length)
        return std::nullopt;
    return Trimmed(std::string(buffer.get(), length), trimmed);
}

std::optional<std::string> SystemErrorTextUtf8(unsigned long code, const char *trimmed) {
    LocalMemory<wchar_t *> buffer;
    const DWORD length = FormatMessageW(kFormatFlags, nullptr, code, 0,
                                        reinterpret_cast<wchar_t *>(buffer.put()), 0, nullptr);
    if (!length)
        return std::nullopt;
    return Trimmed(Utf8FromWide(std::wstring(buffer.get(), length)), trimmed);
}

} // namespace brenvald
