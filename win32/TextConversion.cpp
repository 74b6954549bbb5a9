#include "TextConversion.h"

namespace brenvald {

namespace {

std::wstring WideFrom(UINT codePage, DWORD flags, const std::string &text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, &wide[0], length);
    return wide;
}

bool IsUtf8CodePage() { return GetACP() == CP_UTF8; }

} // namespace

std::wstring WideFromCodePage(UINT codePage, const std::string &text) {
    return WideFrom(codePage, 0, text);
}

std::wstring WideFromUtf8(const std::string &text) { return WideFrom(CP_UTF8, 0, text); }

std::wstring WideFromAnsi(const std::string &text) { return WideFrom(CP_ACP, 0, text); }

bool WideFromUtf8Exactly(const std::string &utf8, std::wstring &wide) {
    wide = WideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    return utf8.empty() || !wide.empty();
}

std::wstring WideFromShownText(const std::string &text) {
    const std::wstring wide = WideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return wide.empty() ? WideFromAnsi(text) : wide;
}

std::string Utf8FromWide(const std::wstring &text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

std::string Utf8FromAnsi(const std::string &ansi) {
    if (ansi.empty() || IsUtf8CodePage())
        return ansi;
    return Utf8FromWide(WideFromAnsi(ansi));
}

std::string AnsiFromWideNoBestFit(const std::wstring &text, bool &inexact) {
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

std::string ExactAnsiFromWide(const std::wstring &text) {
    if (text.empty())
        return {};
    // A UTF-8 code page spells everything; it takes no best-fit flag.
    bool inexact = false;
    const std::string ansi =
        IsUtf8CodePage() ? Utf8FromWide(text) : AnsiFromWideNoBestFit(text, inexact);
    if (inexact || WideFromAnsi(ansi) != text)
        return {};
    return ansi;
}

} // namespace brenvald
