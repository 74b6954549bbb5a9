// bvxtool's standard output and error. Text reaches a console as wide
// characters, so every name shows as it is whatever the console's code
// page; a file or pipe gets UTF-8, or, for the output of the commands that
// print definition lists, the bytes as they are, which `make` reads back.
// Lines end with CR LF in files and pipes.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace bvxtool {

// What a file or pipe receives.
enum class RedirectedForm { Utf8, Bytes };

class TConsoleText : public std::streambuf {
public:
    TConsoleText(HANDLE handle, RedirectedForm redirectedForm);
    ~TConsoleText() override;
    TConsoleText(const TConsoleText &) = delete;
    TConsoleText &operator=(const TConsoleText &) = delete;

    bool IsConsole() const { return console_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char *text, std::streamsize count) override;
    int sync() override;

private:
    // Writes out the pending text up to and including its last line break,
    // or all of it.
    void WritePending(bool all);
    void WriteText(const std::string &text);

    HANDLE handle_;
    RedirectedForm redirectedForm_;
    bool console_;
    std::string pending_;
};

// The text as wide characters: UTF-8 runs as UTF-8, other bytes in the ANSI
// code page.
std::wstring WideFromOutputText(const std::string &text);
// The same text as UTF-8 with CR LF line ends, as a file receives it.
std::string RedirectedUtf8(const std::string &text);

} // namespace bvxtool
