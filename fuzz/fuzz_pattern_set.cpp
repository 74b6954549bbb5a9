// The multi-pattern matcher. A sealed set fed a stream in chunks of any size
// must report exactly the patterns that a naive search finds in the whole
// stream, each once; equal patterns share an id and the empty one has none.
#include "FuzzSupport.h"

#include "PatternSet.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace kernel;
using fuzzsupport::InputReader;
using fuzzsupport::Require;
using fuzzsupport::SizeSequence;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t seed = input.Byte();
    const size_t chunkLimit = 1 + input.Byte();
    const size_t patternCount = input.Byte() % 24;

    TPatternSet set;
    std::vector<std::string> patterns; // by id
    for (size_t i = 0; i < patternCount; ++i) {
        const std::string pattern = input.Text(input.Byte() % 40);
        const int32_t id = set.Add(pattern);
        if (pattern.empty()) {
            Require(id == -1, "the empty pattern has no id");
            continue;
        }
        auto known = std::find(patterns.begin(), patterns.end(), pattern);
        if (known != patterns.end()) {
            Require(id == known - patterns.begin(), "equal patterns share one id");
            continue;
        }
        Require(id == static_cast<int32_t>(patterns.size()), "ids count up in order of adding");
        patterns.push_back(pattern);
    }
    set.Seal();
    Require(set.Size() == patterns.size(), "the set holds each distinct pattern once");
    for (size_t id = 0; id < patterns.size(); ++id)
        Require(set.Pattern(static_cast<int32_t>(id)) == patterns[id], "a pattern is kept as added");

    const std::string stream = input.Rest();
    std::set<int32_t> expected;
    for (size_t id = 0; id < patterns.size(); ++id)
        if (stream.find(patterns[id]) != std::string::npos)
            expected.insert(static_cast<int32_t>(id));

    TPatternScan scan(set);
    for (int pass = 0; pass < 2; ++pass) {
        // The second pass after Reset must forget the first.
        SizeSequence chunks(static_cast<uint8_t>(seed + pass), chunkLimit);
        for (size_t at = 0; at < stream.size();) {
            const size_t count = std::min(chunks.Next(), stream.size() - at);
            scan.Feed(reinterpret_cast<const unsigned char *>(stream.data()) + at, count);
            at += count;
        }
        const std::vector<int32_t> &found = scan.Found();
        Require(std::set<int32_t>(found.begin(), found.end()) == expected,
                "the patterns found are those in the stream");
        Require(found.size() == expected.size(), "each pattern is reported once");
        scan.Reset();
        Require(scan.Found().empty(), "a reset forgets what was found");
    }
    return 0;
}
