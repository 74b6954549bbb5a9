// Body signature lines. A converted line gives a sound definition that says
// the line exactly: kind "1" holds the body as written for offset "*", kind
// "2" the four body bytes as numbers at the line's offset. A member of such
// lines accounts for every signature line once: converted or left out.
#include "FuzzSupport.h"

#include "DefinitionList.h"
#include "NdbLine.h"
#include "SignatureImport.h"

#include <string>
#include <vector>

using namespace bvxtool;
using fuzzsupport::Require;

namespace {

std::string BytesAsNumbers(std::string_view hex) {
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        if (!text.empty())
            text += '-';
        text += std::to_string(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return text;
}

void CheckLine(std::string_view line) {
    Definition definition;
    const NdbVerdict verdict = ConvertNdbLine(line, definition);
    Require(*NdbVerdictText(verdict) != '\0', "every verdict has words");
    NdbLine fields;
    const bool split = SplitNdbLine(line, fields);
    if (verdict != NdbVerdict::Converted) {
        Require(split || verdict == NdbVerdict::Malformed, "a line that does not split is malformed");
        return;
    }
    Require(split, "a converted line splits");
    Require(definition.name == fields.name, "the name is the line's");
    if (definition.kind == '1') {
        Require(fields.offset == "*" && definition.signature == fields.body && definition.offset == "0",
                "kind 1: the body as written, anywhere");
    } else {
        Require(definition.kind == '2', "only kinds 1 and 2");
        Require(fields.body.size() == 8 && definition.signature == BytesAsNumbers(fields.body) &&
                    definition.offset == fields.offset,
                "kind 2: the four bytes at the line's offset");
    }
    Require(DefinitionProblem(definition).empty() || definition.name.size() > 100 ||
                definition.name.find_first_of("\t\r\n") != std::string::npos,
            "a converted definition is sound but for its name, which the import checks");
}

size_t SignatureLines(const std::string &text) {
    size_t lines = 0;
    ForEachTextLine(text, [&](std::string_view line, size_t) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") != std::string_view::npos && line[0] != '#')
            ++lines;
    });
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    ForEachTextLine(text, [&](std::string_view line, size_t) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        CheckLine(line);
    });
    const std::vector<TarMember> members = {{"fuzz.ndb", text}};
    const ImportResult result =
        ConvertMembers(members, {}, [](std::string &) { return true; });
    Require(result.members.size() == 1, "one report per member");
    const MemberReport &report = result.members[0];
    Require(report.converted + report.LeftOutTotal() == SignatureLines(text),
            "every signature line is converted or left out once");
    Require(result.definitions.size() + result.repeats == report.converted,
            "each converted line is kept or counted as a repeat");
    for (const Definition &definition : result.definitions)
        Require(DefinitionProblem(definition).empty(), "every kept definition is sound");
    return 0;
}
