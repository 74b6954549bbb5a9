#include "bvxtool_console.h"

#include "ReportText.h"
#include "TextConversion.h"

#include <algorithm>
#include <limits>

namespace bvxtool {

namespace {

bool IsConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Line breaks as the C runtime writes them to a file in text mode.
std::string WithCrLf(const std::string &text) {
    std::string converted;
    converted.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

void WriteAllBytes(HANDLE handle, const std::string &bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(
            std::min<size_t>(bytes.size() - written, std::numeric_limits<DWORD>::max() / 2));
        if (!WriteFile(handle, bytes.data() + written, chunk, &done, nullptr) || done == 0)
            return;
        written += done;
    }
}

void WriteAllWide(HANDLE handle, const std::wstring &wide) {
    // Consoles take bounded writes; a long text goes in pieces.
    constexpr size_t kPiece = 8192;
    size_t written = 0;
    while (written < wide.size()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(wide.size() - written, kPiece));
        if (!WriteConsoleW(handle, wide.data() + written, chunk, &done, nullptr) || done == 0)
            return;
        written += done;
    }
}

} // namespace

std::wstring WideFromOutputText(const std::string &text) {
    std::wstring wide;
    for (const TextRun &run : SplitTextRuns(text))
        wide += brenvald::WideFromCodePage(run.utf8 ? CP_UTF8 : CP_ACP, run.bytes);
    return wide;
}

std::string RedirectedUtf8(const std::string &text) {
    return WithCrLf(brenvald::Utf8FromWide(WideFromOutputText(text)));
}

TConsoleText::TConsoleText(HANDLE handle, RedirectedForm redirectedForm)
    : handle_(handle), redirectedForm_(redirectedForm), console_(IsConsoleHandle(handle)) {}

TConsoleText::~TConsoleText() { WritePending(true); }

TConsoleText::int_type TConsoleText::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    if (c == '\n')
        WritePending(false);
    return c;
}

std::streamsize TConsoleText::xsputn(const char *text, std::streamsize count) {
    pending_.append(text, static_cast<size_t>(count));
    WritePending(false);
    return count;
}

int TConsoleText::sync() {
    WritePending(true);
    return 0;
}

// Only whole lines go out before a flush, so that a UTF-8 sequence is never
// cut between two writes.
void TConsoleText::WritePending(bool all) {
    if (pending_.empty())
        return;
    size_t taken = pending_.size();
    if (!all) {
        const size_t lastBreak = pending_.rfind('\n');
        if (lastBreak == std::string::npos)
            return;
        taken = lastBreak + 1;
    }
    WriteText(pending_.substr(0, taken));
    pending_.erase(0, taken);
}

void TConsoleText::WriteText(const std::string &text) {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE)
        return;
    if (console_)
        WriteAllWide(handle_, WideFromOutputText(text));
    else if (redirectedForm_ == RedirectedForm::Bytes)
        WriteAllBytes(handle_, WithCrLf(text));
    else
        WriteAllBytes(handle_, RedirectedUtf8(text));
}

} // namespace bvxtool
