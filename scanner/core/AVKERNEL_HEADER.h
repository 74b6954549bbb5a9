// The five Kernel.dll exports the scanner uses, bound at load time through
// the import library: without Kernel.dll the scanner does not start. Texts
// cross as the engine expects them: string values (brenvald::StringValue) for
// GetFileMd5Hash and FindHEXSignature, null-terminated strings for the
// others. Returned texts belong to the engine until its next call of the same
// export; callers copy them at once (Engine.cpp does).
#pragma once

#include <cstdint>

extern "C" {

// The engine's one-byte truth value (1 true) and its string value (a text
// with a reference count and a length in the eight bytes before it).
typedef unsigned char KernelBool;
typedef char *KernelStringValue;

// The file's size as decimal text; "-1" when it is not available.
const char *__stdcall GetSize(const char *path);
// The file's fingerprint text, or the null pointer when it cannot be read.
const char *__stdcall GetFileMd5Hash(KernelStringValue path);
// 1 when the hex pattern occurs in the file at or after the offset.
KernelBool __stdcall FindHEXSignature(KernelStringValue path, KernelStringValue pattern,
                                      int32_t offset);
// 1 when the four bytes at the offset of the file equal the signature text.
KernelBool __stdcall FindVirSignat(const char *signature, int32_t offset, const char *path);
// Appends a base's records to the table whose address *table holds; raises
// an error (derived from std::exception) on any failure.
void __stdcall UnPakBaseToStream(KernelStringValue path, void **table);
}
