// The fingerprint lookup's map against std::unordered_map: the same texts in
// the same order, with repeats, give the same first index for every text
// asked, whether the map was sized beforehand or grew as texts came.
#include "TextSlotMap.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <unordered_map>

namespace {

struct MapCase {
    const char *Name;
    size_t Texts;
    size_t Alphabet;   // few letters and short texts: many repeats
    size_t MaxLength;
    bool Reserve;
};

TEST(TextSlotMap, AgreesWithAStandardMapOnTheFirstIndexOfEachText) {
    const MapCase cases[] = {
        {"empty map", 0, 2, 4, false},
        {"one text", 1, 26, 8, true},
        {"repeats, grown", 5000, 2, 6, false},
        {"repeats, reserved", 5000, 2, 6, true},
        {"fingerprint-like, grown", 20000, 16, 40, false},
        {"fingerprint-like, reserved", 20000, 16, 40, true},
        {"empty and one-byte texts", 300, 3, 1, false},
    };
    for (const MapCase &test : cases) {
        SCOPED_TRACE(test.Name);
        std::mt19937 random(static_cast<unsigned>(test.Texts * 7 + test.Alphabet));
        const auto randomText = [&] {
            std::string text(random() % (test.MaxLength + 1), 'a');
            for (char &c : text)
                c = static_cast<char>('a' + random() % test.Alphabet);
            return text;
        };
        std::deque<std::string> texts; // the views must stay valid
        kernel::TTextSlotMap map;
        std::unordered_map<std::string, int32_t> expected;
        if (test.Reserve)
            map.Reserve(test.Texts);
        for (size_t k = 0; k < test.Texts; ++k) {
            texts.push_back(randomText());
            map.Insert(texts.back(), static_cast<int32_t>(k));
            expected.emplace(texts.back(), static_cast<int32_t>(k));
        }
        EXPECT_EQ(map.Size(), expected.size());
        for (const auto &[text, index] : expected)
            EXPECT_EQ(map.Find(text), index) << text;
        for (int probe = 0; probe < 2000; ++probe) {
            const std::string text = randomText() + (probe % 2 ? "z" : "");
            const auto found = expected.find(text);
            EXPECT_EQ(map.Find(text), found == expected.end() ? kernel::TTextSlotMap::kAbsent : found->second)
                << text;
        }
        map.Clear();
        EXPECT_EQ(map.Find(texts.empty() ? "" : texts.front()), kernel::TTextSlotMap::kAbsent);
    }
}

} // namespace
