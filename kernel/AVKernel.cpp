// The exports of Kernel.dll. Each one only converts its arguments, calls the
// unit that does the work and converts the result; the units decide nothing
// about the boundary. Exports that must not raise catch everything here.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "BaseFiles.h"
#include "FileBusy.h"
#include "FileDisposal.h"
#include "FingerprintFile.h"
#include "HeuristicsFile.h"
#include "KernelErrors.h"
#include "OffsetSignatureFile.h"
#include "ReturnedText.h"
#include "SignatureSearchFile.h"
#include "SystemServices.h"

#include <cstdint>
#include <new>
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

// These three let their failure pass to the caller as one exception derived
// from std::exception; a failed allocation is reported in the system's words.
namespace {

template <class Work> void RaiseAsKernelError(Work work) {
    try {
        work();
    } catch (const std::bad_alloc &) {
        throw kernel::EOutOfMemory("Out of memory while expanding memory stream");
    }
}

} // namespace

extern "C" void __stdcall PackBase(KernelStringValue source, KernelStringValue target) {
    StringValueHold sourceHold(source), targetHold(target);
    RaiseAsKernelError([&] { kernel::PackBaseFile(sourceHold.str(), targetHold.str()); });
}

extern "C" void __stdcall UnPakBase(const char *source, const char *target) {
    std::string sourcePath = TextArg(source), targetPath = TextArg(target);
    RaiseAsKernelError([&] { kernel::UnpackBaseFile(sourcePath, targetPath); });
}

// The table's address is read from the caller's variable; the variable itself
// is never changed. A missing table is refused rather than written through.
extern "C" void __stdcall UnPakBaseToStream(KernelStringValue basePath, void **table) {
    StringValueHold pathHold(basePath);
    if (!table || !*table)
        throw kernel::ERangeError("Range check error");
    RaiseAsKernelError([&] {
        kernel::UnpackBaseIntoTable(pathHold.str(), static_cast<uint8_t *>(*table));
    });
}

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

extern "C" double __stdcall ScanAI(KernelStringValue path) {
    try {
        StringValueHold pathHold(path);
        return kernel::ScanFileKeywords(pathHold.str());
    } catch (...) {
        return 0.0;
    }
}

extern "C" int32_t __stdcall FileMaxPercent(const char *folder) {
    kernel::ProgramFileCounter &counter = kernel::LibraryFileCounter();
    try {
        return counter.CountBelow(TextArg(folder));
    } catch (...) {
        return counter.Total();
    }
}

// --- File disposal ---

extern "C" KernelBool __stdcall ShredFile(const char *path) {
    try {
        return Truth(kernel::ShredFile(TextArg(path)));
    } catch (...) {
        return 0;
    }
}

extern "C" int32_t __stdcall DeleteInfected(const char *path) {
    try {
        return kernel::DeleteInfected(TextArg(path)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// Always 1: the caller cannot tell a lock from a failed one by the result.
extern "C" KernelBool __stdcall AddCarantinFiles(const char *path, int32_t slot, KernelBool lock) {
    try {
        if (lock == 1)
            kernel::LockFileInSlot(TextArg(path), slot);
        else
            kernel::ReleaseLockSlot(slot);
    } catch (...) {
    }
    return 1;
}

// --- System services ---

// Registry errors pass to the caller.
extern "C" const char *__stdcall GetSystemPath(unsigned char kind) {
    static std::string text;
    std::optional<std::string> path = kernel::SystemFolderPath(kind);
    return path ? kernel::ReturnText(text, std::move(*path)) : nullptr;
}

// Registry errors pass to the caller.
extern "C" KernelBool __stdcall GetRegOptions(unsigned char option) {
    return Truth(kernel::PolicyAllows(option));
}

extern "C" const char *__stdcall PathGetShortName(const char *path) {
    static std::string text;
    try {
        return kernel::ReturnText(text, kernel::ShortDisplayName(TextArg(path)));
    } catch (...) {
        return nullptr;
    }
}

extern "C" KernelBool __stdcall isPortOpen(unsigned short port) {
    try {
        return Truth(kernel::IsLocalPortOpen(port));
    } catch (...) {
        return 0;
    }
}

extern "C" int32_t __stdcall NTReboot(void) {
    return kernel::ForceRestart(kernel::SystemExitWindows());
}

extern "C" int32_t __stdcall ExitWinNT(int32_t /*unused*/) {
    return kernel::ForceShutdown(kernel::SystemExitWindows());
}
