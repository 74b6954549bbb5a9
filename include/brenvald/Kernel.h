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

/* The file's size as signed 32-bit decimal text (low 32 bits of the size);
 * "-1" when the file cannot be opened exclusively for reading. */
const char *__stdcall GetSize(const char *path);

/* The fingerprint "<32 lower-case MD5 digits>:<size text>", or NULL when the
 * content cannot be read. */
const char *__stdcall GetFileMd5Hash(KernelStringValue path);

/* 1 when the four bytes at `offset` give exactly `signature`, written as four
 * decimal byte values joined by "-" (for example "77-90-144-0"). */
KernelBool __stdcall FindVirSignat(const char *signature, int offset, const char *path);

/* 1 when the bytes of the hex pattern text (pairs of hex digits; any other
 * character is skipped) occur in the file at or after `start`. */
KernelBool __stdcall FindHEXSignature(KernelStringValue path, KernelStringValue pattern, int start);

/* The same, searching the whole file. */
KernelBool __stdcall FindHEXSignatureAI(KernelStringValue path, KernelStringValue pattern);

#ifdef __cplusplus
}
#endif

#endif
