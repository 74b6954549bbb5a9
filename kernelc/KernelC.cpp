// KernelC.dll: each function calls one raising export of Kernel.dll inside a
// handler, so that what the export throws ends as a truth value and a message
// the caller can read, never as an exception passing into a caller that
// cannot catch it.
#include <brenvald/KernelC.h>
#include <brenvald/StringValue.h>

#include <exception>
#include <string>

namespace {

// The texts handed back to this thread's caller: valid until its next call.
thread_local std::string lastError;
thread_local std::string systemPath;

// Runs the call; on an error, keeps its message and returns 0. Errors that
// are not std::exception carry no text of their own, so they get one.
template <typename Call>
KernelBool Guarded(Call call) {
    lastError.clear();
    try {
        call();
        return 1;
    } catch (const std::exception &error) {
        lastError = error.what();
    } catch (...) {
        lastError = "Unknown error";
    }
    return 0;
}

// The plain export's string value for a caller's null-terminated path.
brenvald::StringValue PathValue(const char *path) { return brenvald::StringValue(path ? path : ""); }

} // namespace

extern "C" {

KernelBool __stdcall KernelCPackBase(const char *source, const char *target) {
    return Guarded([&] {
        brenvald::StringValue sourceValue = PathValue(source);
        brenvald::StringValue targetValue = PathValue(target);
        PackBase(sourceValue.get(), targetValue.get());
    });
}

KernelBool __stdcall KernelCUnPakBase(const char *source, const char *target) {
    return Guarded([&] { UnPakBase(source, target); });
}

KernelBool __stdcall KernelCUnPakBaseToStream(const char *path, void **table) {
    return Guarded([&] {
        brenvald::StringValue pathValue = PathValue(path);
        UnPakBaseToStream(pathValue.get(), table);
    });
}

KernelBool __stdcall KernelCGetSystemPath(unsigned char kind, const char **path) {
    if (path)
        *path = nullptr;
    return Guarded([&] {
        const char *folder = GetSystemPath(kind);
        if (!folder || !path)
            return;
        systemPath = folder;
        *path = systemPath.c_str();
    });
}

KernelBool __stdcall KernelCGetRegOptions(unsigned char option, KernelBool *allowed) {
    if (allowed)
        *allowed = 0;
    return Guarded([&] {
        const KernelBool answer = GetRegOptions(option);
        if (allowed)
            *allowed = answer;
    });
}

const char *__stdcall KernelCLastError(void) { return lastError.c_str(); }

} // extern "C"
