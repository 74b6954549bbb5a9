// Signature database files made at test time: tar archives, gzip streams and
// the 512-byte text header before them, with the header's MD5 computed over
// the rest (core/Md5) unless a test sets it, and every field a test may
// damage on purpose. Pure: the host build runs these tests too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

struct TarEntry {
    std::string name;
    std::string content;
    char type = '0';
};

// A tar archive of the entries, each header's checksum right, ended by two
// zero blocks.
std::string MakeTarArchive(const std::vector<TarEntry> &entries);
// One gzip stream of the bytes.
std::string MakeGzip(const std::string &bytes);
// One gzip stream of that many zero bytes, made without holding them: a
// small file that unpacks to a lot.
std::string MakeGzipOfZeros(size_t count);

struct DatabaseFields {
    std::string name = "ClamAV-VDB";
    std::string buildTime = "11 Dec 2026 03-00 +0000";
    std::string version = "27000";
    std::string signatures = "12";
    std::string level = "90";
    std::string md5;  // empty: the MD5 of the payload
    std::string digitalSignature = "c2lnbmVkIGJ5IG5vYm9keQ";
    std::string builder = "tester";
};

// The 512-byte header padded with blanks, then the payload.
std::string MakeDatabaseFile(const DatabaseFields &fields, const std::string &payload);
// The same with the default fields.
std::string MakeDatabaseFile(const std::string &payload);

} // namespace testsupport
