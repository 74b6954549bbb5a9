#include "bvxtool_pack.h"

#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <stdexcept>

namespace bvxtool {

std::unique_ptr<TempFile> PackBeside(const std::string &content, const std::string &target) {
    TempFile plain;
    if (!plain.valid() || !WriteWholeFile(plain.path(), content))
        throw std::runtime_error("cannot write a temporary file");
    auto packed = std::make_unique<TempFile>(FolderOf(target));
    if (!packed->valid())
        throw std::runtime_error("cannot create a file in " + FolderOf(target));
    brenvald::StringValue source(plain.path());
    brenvald::StringValue destination(packed->path());
    PackBase(source.get(), destination.get());
    return packed;
}

void PackContent(const std::string &content, const std::string &target) {
    std::unique_ptr<TempFile> packed = PackBeside(content, target);
    if (!packed->MoveOver(target))
        throw std::runtime_error("cannot write " + target);
}

} // namespace bvxtool
