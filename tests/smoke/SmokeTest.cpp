// The fast "does it start" check of the real bvxscan.exe: installed in a
// folder of its own with bases in Bases\ and a subfolder of it (one of them
// corrupt, one of another extension), its window comes up having loaded the
// good ones, and it closes by its title bar, answering the close question.
// The window's behaviour itself is the end-to-end suite's (tests/e2e).
#include "BaseContent.h"
#include "TempDir.h"
#include "Eventually.h"
#include "WindowDriver.h"

#include "resource.h"

#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace e2e;
using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string ProgramFolderOfThisTest() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The plain content of a base with one kind "0" definition.
std::string PlainBase(const std::string &name) {
    return testsupport::BaseContent("1", {{name, "0123456789abcdef0123456789abcdef:10", '0', "0"}},
                                    "Smoke", "test base");
}

void PackBaseFile(const std::string &plainPath, const std::string &basePath) {
    brenvald::StringValue source(plainPath);
    brenvald::StringValue target(basePath);
    PackBase(source.get(), target.get());
}

// The program as a user installs it: its files side by side, and bases in
// Bases\ and a subfolder of it, one of them corrupt. BVX_LIBGCC_DLL is the
// GCC runtime DLL of the build's architecture.
void Install(const TempDir &folder) {
    const std::string bin = ProgramFolderOfThisTest();
    for (const char *file : {"bvxscan.exe", "Kernel.dll", BVX_LIBGCC_DLL, "libstdc++-6.dll",
                             "libwinpthread-1.dll", "ver.ini"})
        ASSERT_TRUE(CopyFileA((bin + file).c_str(), folder.file(file).c_str(), FALSE)) << file;
    MakeDir(folder.file("Bases"));
    MakeDir(folder.file("Bases\\More"));
    WriteFile(folder.file("plain.txt"), PlainBase("Smoke.One"));
    PackBaseFile(folder.file("plain.txt"), folder.file("Bases\\Smoke.bvx"));
    PackBaseFile(folder.file("plain.txt"), folder.file("Bases\\More\\SECOND.BVX"));
    WriteFile(folder.file("Bases\\broken.bvx"), "not a container at all");
    WriteFile(folder.file("Bases\\ignored.bvx.bak"), PlainBase("Never.Loaded"));
}

} // namespace

TEST(Smoke, StartsWithItsBasesFromEveryFolderAndClosesOnNo) {
    TempDir folder;
    Install(folder);
    if (HasFatalFailure())
        return;
    AppProcess app(folder.file("bvxscan.exe"));
    ASSERT_TRUE(app.started());
    HWND window = WaitTopWindow(app.id(), "Brenvald", "TMainForm");
    ASSERT_NE(window, nullptr) << "no window captioned Brenvald";

    // Both good bases are logged, in the order the search finds them, then an
    // empty line, then the corrupt one with its reason; the other extension
    // is passed over.
    RemoteListView log(app.handle(), FindControl(window, IDC_LOGLIST));
    ASSERT_TRUE(log.valid());
    EXPECT_TRUE(Becomes(
        [&] {
            std::vector<std::string> lines = log.Texts();
            if (lines.size() >= 2)
                std::sort(lines.begin(), lines.begin() + 2);
            return lines;
        },
        std::vector<std::string>{"Spyware Definitions Base SECOND.BVX loaded",
                                 "Spyware Definitions Base Smoke.bvx loaded", "",
                                 "Spyware Definitions Base broken.bvx not loaded: not a "
                                 "definition base (not bzip2 data)"}));

    // The title bar's close box asks; No ends the program cleanly.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ModalBox question = WaitBox(app.id(), "Confirm");
    ASSERT_NE(question.window, nullptr) << "no close question";
    EXPECT_NE(question.text.find("Do you want to detect and clean more spyware?"), std::string::npos);
    ASSERT_TRUE(PressBoxButton(question, "&No"));
    ASSERT_TRUE(app.WaitExit());
    DWORD exitCode = 1;
    GetExitCodeProcess(app.handle(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}
