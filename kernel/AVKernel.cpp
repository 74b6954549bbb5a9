// The exports of Kernel.dll. Each one only converts its arguments, calls the
// unit that does the work and converts the result; the units decide nothing
// about the boundary. Exports that must not raise catch everything here.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "FileBusy.h"
#include "Fingerprint.h"
#include "OffsetSignature.h"
#include "ReturnedText.h"
#include "SignatureSearch.h"

#include <optional>
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

extern "C" const char *__stdcall GetSize(const char *path) {
    static std::string text;
    try {
        return kernel::ReturnText(text, kernel::FileSizeText(TextArg(path)));
    } catch (...) {
        return kernel::ReturnText(text, "-1");
    }
}

extern "C" const char *__stdcall GetFileMd5Hash(KernelStringValue path) {
    static std::string text;
    try {
        StringValueHold pathHold(path);
        std::optional<std::string> fingerprint = kernel::FileFingerprint(pathHold.str());
        return fingerprint ? kernel::ReturnText(text, std::move(*fingerprint)) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

extern "C" KernelBool __stdcall FindVirSignat(const char *signature, int32_t offset,
                                              const char *path) {
    try {
        return Truth(kernel::FileMatchesOffsetSignature(TextArg(signature), offset, TextArg(path)));
    } catch (...) {
        return 0;
    }
}

extern "C" KernelBool __stdcall FindHEXSignature(KernelStringValue path, KernelStringValue pattern,
                                                 int32_t start) {
    try {
        StringValueHold pathHold(path);
        StringValueHold patternHold(pattern);
        return Truth(kernel::SearchFile(pathHold.str(), patternHold.view(), start,
                                        kernel::PatternKind::Hex) != -1);
    } catch (...) {
        return 0;
    }
}

extern "C" KernelBool __stdcall FindHEXSignatureAI(KernelStringValue path,
                                                   KernelStringValue pattern) {
    return FindHEXSignature(path, pattern, 0);
}

// --- Heuristic analysis ---

// --- File disposal ---

// --- System services ---
