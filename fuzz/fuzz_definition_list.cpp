// Definition lists and the base content made from them. A list the parser
// accepts holds only definitions and headers its checks pass, and writing it
// out and reading it again gives the same list; its base decodes to it with
// no warning. Base content read back without a warning rebuilds the same
// bytes. A refused list names the source and a line that exists.
#include "FuzzSupport.h"

#include "BaseImage.h"
#include "DefinitionList.h"

#include <string>

using namespace bvxtool;
using fuzzsupport::Require;

namespace {

bool SameDefinitions(const DefinitionList &left, const DefinitionList &right) {
    if (left.header1 != right.header1 || left.header2 != right.header2 ||
        left.definitions.size() != right.definitions.size())
        return false;
    for (size_t i = 0; i < left.definitions.size(); ++i) {
        const Definition &a = left.definitions[i];
        const Definition &b = right.definitions[i];
        if (a.kind != b.kind || a.name != b.name || a.signature != b.signature ||
            a.offset != b.offset)
            return false;
    }
    return true;
}

size_t LineCount(const std::string &text) {
    size_t lines = 0;
    ForEachTextLine(text, [&](std::string_view, size_t) { ++lines; });
    return lines;
}

void CheckListText(const std::string &text) {
    DefinitionList list;
    try {
        list = ParseDefinitionList(text, "fuzz.list");
    } catch (const ListError &error) {
        const std::string message = error.what();
        Require(message.rfind("fuzz.list:", 0) == 0, "a refusal names the source");
        const size_t line = std::stoul(message.substr(10));
        Require(line >= 1 && line <= LineCount(text), "a refusal names a line of the text");
        return;
    }
    Require(HeaderProblem(list.header1).empty() && HeaderProblem(list.header2).empty(),
            "accepted headers pass their check");
    for (const Definition &definition : list.definitions)
        Require(DefinitionProblem(definition).empty(), "accepted definitions pass their check");

    const std::string written = FormatDefinitionList(list);
    Require(SameDefinitions(ParseDefinitionList(written, "written.list"), list),
            "an accepted list reads back the same after writing");

    const DecodedBase decoded = DecodeBase(EncodeBase(list));
    Require(decoded.warnings.empty(), "the base of an accepted list decodes without warning");
    Require(SameDefinitions(decoded.list, list), "the base of an accepted list decodes to it");
}

void CheckBaseContent(const std::string &content) {
    DecodedBase decoded;
    try {
        decoded = DecodeBase(content);
    } catch (const BaseError &) {
        return;
    }
    if (!decoded.warnings.empty())
        return;
    const DefinitionList relisted =
        ParseDefinitionList(FormatDefinitionList(decoded.list), "listed.list");
    Require(EncodeBase(relisted) == content, "a base listed without warning rebuilds its bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    if (data[0] % 2 == 0)
        CheckListText(rest);
    else
        CheckBaseContent(rest);
    return 0;
}
