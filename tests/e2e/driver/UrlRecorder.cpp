// Stands in for the browser and the mail program in the test prefix: the
// shell's open command for http, https and mailto runs
//   url_recorder.exe "<log file>" "<address>"
// and this appends the address, a tab and the window state the opener asked
// for (SW_SHOWNORMAL 1, SW_SHOWMAXIMIZED 3; -1 when none) as one CR LF line
// to the log file, so tests see which addresses the scanner opened and how,
// without anything being launched.
#include <windows.h>

#include <string>

namespace {

// Several openings may come at once: retry while another writer holds the file.
HANDLE OpenLogForAppend(const char *logPath) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log != INVALID_HANDLE_VALUE)
            return log;
        Sleep(25);
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return 2;
    HANDLE log = OpenLogForAppend(argv[1]);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::string line = std::string(argv[2]) + "\t" + std::to_string(show) + "\r\n";
    DWORD written = 0;
    BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == line.size() ? 0 : 1;
}
