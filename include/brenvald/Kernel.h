/* Brenvald engine library (Kernel.dll): the exported functions.
 *
 * Every export is stdcall and exported by its plain name. Texts are
 * single-byte ANSI texts. Two kinds of text argument exist:
 *   - a null-terminated string (const char*); NULL is the empty text;
 *   - a string value (KernelStringValue): a null-terminated string with a
 *     32-bit reference count at -8 and a 32-bit length at -4 before its first
 *     character (see StringValue.h for a C++ helper that builds them).
 * Returned texts belong to the library and stay valid until the next call of
 * the same export: copy them at once.
 * The base exports (PackBase, UnPakBase, UnPakBaseToStream) and the registry
 * exports (GetSystemPath, GetRegOptions) report failure by throwing a C++
 * exception derived from std::exception; callers must link the shared GCC
 * runtime to catch it.
 */
#ifndef BRENVALD_KERNEL_H
#define BRENVALD_KERNEL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char KernelBool; /* one-byte truth value: 1 true, 0 false */
typedef char *KernelStringValue;  /* string value, see above */

/* Library and engine versions: constant texts "1.0" and "0.12". */
const char *__stdcall ShowVersion(void);
const char *__stdcall GetKernelVersion(void);

/* 1 when the file can be opened for reading and writing with no sharing. */
KernelBool __stdcall isBusy(const char *path);

#ifdef __cplusplus
}
#endif

#endif
