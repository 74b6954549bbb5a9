#include "ConsoleRun.h"


namespace testsupport {

namespace {

// The file is opened sharing writes: Wine can report the program ended a
// moment before its inherited handle on the file is closed.
std::string ReadAndRemove(const std::wstring &path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        CloseHandle(file);
    }
    DeleteFileW(path.c_str());
    return bytes;
}

} // namespace

ConsoleRun RunConsole(const std::wstring &commandLine, const std::wstring &outputPath,
                      DWORD waitMs) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ConsoleRun run;
    if (output == INVALID_HANDLE_VALUE)
        return run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    const bool started = CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, L"C:\\", &startup, &info);
    CloseHandle(output);
    if (started) {
        if (WaitForSingleObject(info.hProcess, waitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &run.exitCode);
        else
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    run.output = ReadAndRemove(outputPath);
    return run;
}

} // namespace testsupport
