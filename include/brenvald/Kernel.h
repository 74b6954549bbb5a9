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
 * exception derived from std::exception; C++ callers must link the shared
 * GCC runtime to catch it. Callers that cannot catch it (C and other
 * languages) call these five through KernelC.dll instead (KernelC.h), which
 * returns a truth value and the message text.
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

/* Definition base containers (bzip2). Each raises a C++ exception derived
 * from std::exception on failure; what() is the message.
 * PackBase writes `target` as the container of the whole `source` file;
 * UnPakBase writes `target` with the plain content of the container `source`;
 * UnPakBaseToStream appends the base in the container `path` to the
 * DefinitionTable whose start *table holds (see DefinitionTable.h). */
void __stdcall PackBase(KernelStringValue source, KernelStringValue target);
void __stdcall UnPakBase(const char *source, const char *target);
void __stdcall UnPakBaseToStream(KernelStringValue path, void **table);

/* Keyword score of a file: every keyword found (matched exactly, letter case
 * included) counts 1, and a weighted keyword adds its weight / 0.37 on top.
 * 0 for a file that cannot be read. */
double __stdcall ScanAI(KernelStringValue path);

/* Adds the ".exe", ".dll" and ".com" files in `folder` (ending with "\") and
 * below it to a running count kept by the library, and returns that count. */
int __stdcall FileMaxPercent(const char *folder);

/* Overwrites the file's whole content with 0x2A bytes, then deletes it. 0 only
 * when a non-empty file could not be opened for overwriting (it is left as it
 * was) or the overwrite failed; 1 otherwise, also for a missing file. */
KernelBool __stdcall ShredFile(const char *path);

/* 1 when the file was deleted (no overwriting, no recycle bin), else 0. */
int __stdcall DeleteInfected(const char *path);

/* lock == 1: keeps the file open for reading with no sharing in `slot`
 * (1 to 1024), closing what the slot held; any other value releases the slot.
 * Slots outside 1 to 1024 are ignored. Always returns 1. */
KernelBool __stdcall AddCarantinFiles(const char *path, int slot, KernelBool lock);

/* Folder paths ending with "\": 0 Desktop, 1 Start Menu, 2 Programs,
 * 3 Startup, 4 Personal (the user's shell folders), 5 the Windows directory,
 * 6 the system directory; NULL for other kinds. Raises an exception when a
 * shell folder value is not text. */
const char *__stdcall GetSystemPath(unsigned char kind);

/* Options 2 (NoSetFolders) and 3 (DisableCMD): 1 unless the user's policy
 * value is a non-zero number; other options give 1. Raises an exception when
 * the value is not a 32-bit number. */
KernelBool __stdcall GetRegOptions(unsigned char option);

/* Drive part + "\..\" + file name, for display. */
const char *__stdcall PathGetShortName(const char *path);

/* 1 when a TCP connection to the port on 127.0.0.1 succeeds. */
KernelBool __stdcall isPortOpen(unsigned short port);

/* Forced restart and forced shutdown of Windows (other programs are closed
 * without asking): non-zero when Windows accepted the request. */
int __stdcall NTReboot(void);
int __stdcall ExitWinNT(int unused);

#ifdef __cplusplus
}
#endif

#endif
