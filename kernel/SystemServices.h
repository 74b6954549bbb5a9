// Questions about the Windows installation and actions on it: shell and
// system folders, two user policies, a display form of paths, a local port
// probe, and forced restart and shutdown.
#pragma once

#include "PathText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kernel {

// Kinds 0-4: the "Desktop", "Start Menu", "Programs", "Startup" and
// "Personal" shell folders of the current user; 5 the Windows directory; 6
// the system directory. Always with a closing backslash; nothing for other
// kinds. A value that is not text raises ERegistryException.
std::optional<std::string> SystemFolderPath(unsigned kind);

// Options 2 ("NoSetFolders") and 3 ("DisableCMD"): true unless the user's
// policy value is a non-zero number. Other options name no policy and allow.
// A value that is not a 32-bit number raises ERegistryException.
bool PolicyAllows(unsigned option);

// Whether a TCP connection to the port on 127.0.0.1 succeeds.
bool IsLocalPortOpen(uint16_t port);

// The shape of ExitWindowsEx, so that tests can stand in for the real call.
using ExitWindowsCall = int(__stdcall *)(unsigned int flags, unsigned long reason);

constexpr unsigned kForcedRestartFlags = 6;  // EWX_REBOOT | EWX_FORCE
constexpr unsigned kForcedShutdownFlags = 5; // EWX_SHUTDOWN | EWX_FORCE

// Enables the shutdown privilege in the process's token, then asks
// `exitWindows` for a forced restart or shutdown and returns its result; 0
// when the token could not be opened or adjusted.
int ForceRestart(ExitWindowsCall exitWindows);
int ForceShutdown(ExitWindowsCall exitWindows);

// The system's own ExitWindowsEx.
ExitWindowsCall SystemExitWindows();

} // namespace kernel
