// Tar archive reading and gzip unpacking. Every member the reader gives lies
// inside the input, after its own header, in order, with a name without a
// path; the members written again into an archive read back the same. The
// input, unpacked as gzip with a small cap, gives an ImportError or at most
// the cap. Nothing else escapes.
#include "FuzzSupport.h"

#include "GzipInflate.h"
#include "ImportError.h"
#include "SignatureDatabase.h"
#include "TarArchive.h"

#include <string>
#include <vector>

using namespace bvxtool;
using fuzzsupport::Require;

namespace {

void CheckArchive(const std::string &bytes) {
    std::vector<TarMember> members;
    try {
        members = ReadTarArchive(bytes);
    } catch (const ImportError &) {
        return;
    }
    const char *previousEnd = bytes.data();
    std::vector<testsupport::TarEntry> entries;
    for (const TarMember &member : members) {
        Require(member.content.data() >= previousEnd + kTarBlockSize &&
                    member.content.data() + member.content.size() <= bytes.data() + bytes.size(),
                "a member lies inside the input, after its header and the member before");
        Require(member.name.find_first_of("/\\:") == std::string::npos && !member.name.empty(),
                "a member's name has no path");
        previousEnd = member.content.data() + member.content.size();
        entries.push_back({member.name, std::string(member.content)});
    }
    const std::string rewritten = testsupport::MakeTarArchive(entries);
    const std::vector<TarMember> reread = ReadTarArchive(rewritten);
    Require(reread.size() == members.size(), "the rewritten archive has the same members");
    for (size_t i = 0; i < reread.size(); ++i)
        Require(reread[i].name == members[i].name && reread[i].content == members[i].content,
                "each rewritten member reads back the same");
}

void CheckGzip(const std::string &bytes) {
    constexpr size_t kCap = 1 << 16;
    try {
        Require(InflateGzip(bytes, kCap).size() <= kCap, "never more than the cap");
    } catch (const ImportError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    CheckArchive(bytes);
    CheckGzip(bytes);
    return 0;
}
