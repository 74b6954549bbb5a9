// The five Kernel.dll exports the scanner uses, bound at load time through
// the import library: without Kernel.dll the scanner does not start.
//
//   UnPakBaseToStream  appends a base to the DefinitionTable (base loading)
//   GetSize            the size text of a file (per-file check)
//   GetFileMd5Hash     the fingerprint text of a file
//   FindHEXSignature   a kind "1" definition's hex pattern in a file
//   FindVirSignat      a kind "2" definition's four bytes at an offset
//
// Their declarations are the public header's, so the scanner and every other
// caller bind the same functions. Texts cross as the engine expects them:
// string values (brenvald::StringValue) for GetFileMd5Hash,
// FindHEXSignature and UnPakBaseToStream, null-terminated strings for the
// others. Returned texts belong to the engine until its next call of the
// same export; Engine_win.cpp copies them at once.
#pragma once

#include <brenvald/Kernel.h>
