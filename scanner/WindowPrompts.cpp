#include "WindowPrompts.h"

#include "TextConversion.h"

#include <shellapi.h>

namespace window {

// Texts may name files by their real names and quote the system's reasons,
// both in UTF-8: the box shows them wide.
int TWindowPrompts::Box(const std::string &text, const char *caption, UINT style) {
    return MessageBoxW(owner_, brenvald::WideFromShownText(text).c_str(),
                       brenvald::WideFromShownText(caption).c_str(), style);
}

void TWindowPrompts::Information(const std::string &text) {
    Box(text, "Information", MB_OK | MB_ICONINFORMATION);
}

void TWindowPrompts::Warning(const std::string &text) {
    Box(text, "Warning", MB_OK | MB_ICONWARNING);
}

bool TWindowPrompts::Confirm(const std::string &text) {
    return Box(text, "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TWindowPrompts::ConfirmWarning(const std::string &text) {
    return Box(text, "Confirm", MB_YESNO | MB_ICONWARNING) == IDYES;
}

void TWindowPrompts::ErrorReport(const std::string &text) {
    Box(text, ApplicationTitle, MB_OK | MB_ICONERROR);
}

// The result is not examined: with no browser or mail program nothing
// happens and nothing is reported.
void TWindowPrompts::OpenAddress(const std::string &address, bool maximised) {
    ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr,
                  maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

} // namespace window
