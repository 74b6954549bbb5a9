// Hash list import. Every definition made is a sound kind 0 line of the
// list form that reads back the same; every non-blank, non-comment line is
// either converted or counted under exactly one reason, and each malformed
// one is named by its line.
#include "FuzzSupport.h"

#include "HashList.h"
#include "DefinitionList.h"

#include <string>

using namespace bvxtool;
using fuzzsupport::Require;

namespace {

size_t EntryLines(const std::string &text) {
    size_t entries = 0;
    ForEachTextLine(text, [&](std::string_view line, size_t) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") != std::string_view::npos && line[0] != '#')
            ++entries;
    });
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const HdbConversion conversion = ConvertHdb(text);

    Require(conversion.definitions.size() + conversion.skips.Total() == EntryLines(text),
            "every entry line is converted or skipped once");
    Require(conversion.malformedLines.size() == conversion.skips.malformed,
            "each malformed line is named");
    size_t previous = 0;
    for (const MalformedLine &line : conversion.malformedLines) {
        Require(line.line > previous && !line.reason.empty(),
                "malformed lines come in order, each with a reason");
        previous = line.line;
    }

    DefinitionList list;
    list.definitions = conversion.definitions;
    for (const Definition &definition : list.definitions) {
        Require(definition.kind == '0' && IsFingerprintText(definition.signature) &&
                    DefinitionProblem(definition).empty(),
                "a converted entry is a sound fingerprint definition");
    }
    const DefinitionList reread = ParseDefinitionList(FormatDefinitionList(list), "import.list");
    Require(reread.definitions.size() == list.definitions.size(), "the import reads back whole");
    for (size_t i = 0; i < list.definitions.size(); ++i)
        Require(reread.definitions[i].name == list.definitions[i].name &&
                    reread.definitions[i].signature == list.definitions[i].signature,
                "each imported definition reads back the same");
    Require(!HdbSummary(conversion).empty(), "the summary is written");
    return 0;
}
