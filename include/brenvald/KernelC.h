/* Brenvald companion library (KernelC.dll): the raising exports of Kernel.dll
 * for callers that cannot catch C++ exceptions.
 *
 * Five exports of Kernel.dll (PackBase, UnPakBase, UnPakBaseToStream,
 * GetSystemPath, GetRegOptions) report failure by throwing a C++ exception,
 * which ends a C program or any caller whose language cannot catch this
 * compiler's exceptions. Each function here calls one of them, catches what
 * it raises and returns a truth value instead: 1 when the export returned,
 * 0 when it raised. After a 0, KernelCLastError() gives the error's message
 * text, exactly as the export's exception carries it (for example
 * "Cannot open file "C:\no\such.bvx". Path not found."); after a 1 it gives
 * the empty text.
 *
 * Every function is stdcall and exported by its plain name, like Kernel.dll's
 * own exports; paths are null-terminated ANSI texts (NULL is the empty text),
 * so no string value has to be built. Texts handed back (the message, the
 * folder path) belong to the library and stay valid until the next call of a
 * KernelC function on the same thread: copy them at once. The library keeps
 * its texts per thread; Kernel.dll itself is not meant for calls from
 * several threads at once.
 *
 * Link the import library libKernelC.dll.a and ship KernelC.dll beside
 * Kernel.dll and the GCC runtime DLLs that Kernel.dll needs.
 *
 *     #include <brenvald/KernelC.h>
 *     #include <stdio.h>
 *
 *     int main(void) {
 *         if (!KernelCUnPakBase("C:\\no\\such.bvx", "C:\\out.bin"))
 *             printf("unpacking failed: %s\n", KernelCLastError());
 *         return 0;
 *     }
 */
#ifndef BRENVALD_KERNELC_H
#define BRENVALD_KERNELC_H

#include "Kernel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* PackBase: writes `target` as the container of the whole `source` file. */
KernelBool __stdcall KernelCPackBase(const char *source, const char *target);

/* UnPakBase: writes `target` with the plain content of the container `source`. */
KernelBool __stdcall KernelCUnPakBase(const char *source, const char *target);

/* UnPakBaseToStream: appends the base in the container `path` to the
 * DefinitionTable whose start *table holds (see DefinitionTable.h). A base
 * that fails part way may have filled slots before the error, as with the
 * plain export. */
KernelBool __stdcall KernelCUnPakBaseToStream(const char *path, void **table);

/* GetSystemPath: *path receives the folder path of `kind` (0 to 6), or NULL
 * for other kinds, as the plain export returns it; NULL after a failure. */
KernelBool __stdcall KernelCGetSystemPath(unsigned char kind, const char **path);

/* GetRegOptions: *allowed receives the plain export's truth value; 0 after a
 * failure. */
KernelBool __stdcall KernelCGetRegOptions(unsigned char option, KernelBool *allowed);

/* The message of the last failed KernelC call on this thread; "" when the
 * last call succeeded or none was made. */
const char *__stdcall KernelCLastError(void);

#ifdef __cplusplus
}
#endif

#endif
