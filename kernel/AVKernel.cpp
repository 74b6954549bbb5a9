// The exports of Kernel.dll. Each one only converts its arguments, calls the
// unit that does the work and converts the result; the units decide nothing
// about the boundary. Exports that must not raise catch everything here.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "FileBusy.h"
#include "ReturnedText.h"

#include <string>

using brenvald::StringValueHold;

namespace {

// A null-terminated argument copied into a text of our own; null is empty.
std::string TextArg(const char *text) { return text ? std::string(text) : std::string(); }

KernelBool Truth(bool value) { return value ? 1 : 0; }

} // namespace

// --- Versions and file state ---

extern "C" const char *__stdcall GetKernelVersion(void) { return "0.12"; }

extern "C" const char *__stdcall ShowVersion(void) { return "1.0"; }

extern "C" KernelBool __stdcall isBusy(const char *path) {
    try {
        return Truth(kernel::IsFileFree(TextArg(path)));
    } catch (...) {
        return 0;
    }
}

// --- Definition base container ---

// --- Fingerprint, offset signature and hex search ---

// --- Heuristic analysis ---

// --- File disposal ---

// --- System services ---
