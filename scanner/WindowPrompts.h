// The real boxes and shell opens behind IPrompts: the window system's
// standard modal boxes, owned by the main window, and the shell's default
// action for an address.
#pragma once

#include "ScanHost.h"

#include <windows.h>

namespace window {

class TWindowPrompts : public scanner::IPrompts {
public:
    // The owner may be set later, once the main window exists.
    void SetOwner(HWND owner) { owner_ = owner; }

    void Information(const std::string &text) override;
    void Warning(const std::string &text) override;
    bool Confirm(const std::string &text) override;
    bool ConfirmWarning(const std::string &text) override;
    void ErrorReport(const std::string &text) override;
    void OpenAddress(const std::string &address, bool maximised) override;
    // The shell's folder browser, owned by the main window.
    std::string PickFolder(const std::string &title) override;

private:
    int Box(const std::string &text, const char *caption, UINT style);

    HWND owner_ = nullptr;
};

// The application's title, also the caption of its error reports.
inline constexpr char ApplicationTitle[] = "Brenvald";

} // namespace window
