// Database file header and the reading of a whole database file. A header
// that is accepted holds every field in its form, and the fields, joined
// again, are where the input has them; anything else is an ImportError,
// never another exception or a read outside the input. The whole file is
// read the same way (MD5, gzip with a small cap, tar), with the same rule.
#include "FuzzSupport.h"

#include "DatabaseHeader.h"
#include "ImportError.h"
#include "SignatureImport.h"

#include <string>

using namespace bvxtool;
using fuzzsupport::Require;

namespace {

bool IsLowerHex(const std::string &text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

void CheckHeader(const std::string &bytes) {
    DatabaseHeader header;
    try {
        header = ReadDatabaseHeader(bytes);
    } catch (const ImportError &) {
        return;
    }
    Require(bytes.size() >= kDatabaseHeaderSize, "a header is 512 bytes");
    Require(header.name == kDatabaseMagic, "the name is the magic");
    Require(header.md5.size() == 32 && IsLowerHex(header.md5), "the MD5 is 32 lower-case digits");
    Require(!header.buildTime.empty() && !header.digitalSignature.empty() && !header.builder.empty(),
            "no text field is empty");
    const std::string start = header.name + ":" + header.buildTime + ":";
    Require(bytes.compare(0, start.size(), start) == 0, "the fields are where the input has them");
    const std::string middle = ":" + header.md5 + ":" + header.digitalSignature + ":" +
                               header.builder;
    Require(bytes.substr(0, kDatabaseHeaderSize).find(middle) != std::string::npos,
            "the MD5, signature and builder are where the input has them");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    CheckHeader(bytes);
    try {
        DatabaseFile file = ReadDatabaseFile("fuzz.cvd", bytes);
        for (const TarMember &member : file.members)
            Require(!member.name.empty(), "every member has a name");
    } catch (const ImportError &) {
    }
    return 0;
}
