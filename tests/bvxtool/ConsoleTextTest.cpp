// bvxtool's output stream on a file, as when the output is redirected.
#include "bvxtool_console.h"

#include "TempDir.h"

#include "WinHandle.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using bvxtool::RedirectedForm;
using bvxtool::TConsoleText;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

// Writes through a TConsoleText on a new file; what the file then holds.
template <typename Write>
std::string WrittenToFile(const TempDir &dir, RedirectedForm form, Write write) {
    const std::string path = dir.file("out.txt");
    {
        brenvald::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
        EXPECT_TRUE(file.valid());
        TConsoleText text(file.get(), form);
        EXPECT_FALSE(text.IsConsole());
        std::ostream out(&text);
        write(out);
    }
    return ReadFile(path);
}

// One ANSI character as UTF-8.
std::string Utf8OfAnsi(char ansi) {
    wchar_t wide = 0;
    MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1);
    char utf8[8] = {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8, sizeof utf8, nullptr,
                                           nullptr);
    return std::string(utf8, static_cast<size_t>(length > 0 ? length : 0));
}

} // namespace

TEST(ConsoleText, AFileGetsUtf8WithCrLfAndASequenceCutBetweenWritesArrivesWhole) {
    TempDir dir;
    const std::string written = WrittenToFile(dir, RedirectedForm::Utf8, [](std::ostream &out) {
        // A UTF-8 path cut inside its two-byte letter, then an ANSI name.
        out << "[C:\\\xD1";
        out << "\x88.exe] - [";
        out.put('\xE9');
        out << "]\n" << "second" << std::flush << " line\n";
        out << "no line break at the end";
    });
    EXPECT_EQ(written, "[C:\\\xD1\x88.exe] - [" + Utf8OfAnsi('\xE9') +
                           "]\r\nsecond line\r\nno line break at the end");
}

TEST(ConsoleText, DefinitionListsKeepTheirBytes) {
    TempDir dir;
    const std::string list = "0\tSpy\xE9\tsig\t0\n1\t\xD1\x88\t50\t0\n";
    EXPECT_EQ(WrittenToFile(dir, RedirectedForm::Bytes, [&](std::ostream &out) { out << list; }),
              "0\tSpy\xE9\tsig\t0\r\n1\t\xD1\x88\t50\t0\r\n");
}
