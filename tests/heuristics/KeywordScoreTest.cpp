// The keyword score: which words are asked for, in which order, and what
// each one found adds.
#include "Heuristics.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kExpectedKeywords = {
    "Virus",   "CV@",     "Tx@",     "Aa@",        "xa@",       "ha@",
    "Pq@",     "Vir",     "Infect",  "Infected",   "Dovesok",   "Zaraza",
    "Kill",    "Killer",  "MustDie", "Exploit",    "Sploit",    "Trojan",
    "Backdoor", "Worm",   "Attack",  "Hacker",     "DOS Attack", "Flood",
    "Flooder", "Keylogger", "Fuck",  "Winsock",    "Shell",     "License",
    "Rootkit", "Microsoft", "Antivirus", "Antivir", "Velmorandi118335", "forever",
    "swapmousebutton", "keyboard,disable",
};

const std::map<std::string, double> kExpectedWeights = {
    {"Sploit", 3},   {"Exploit", 9},   {"Hacker", 3},  {"Trojan", 9},
    {"Virus", 9},    {"Backdoor", 9},  {"License", -9}, {"Antivirus", -4},
    {"Antivir", -4}, {"Velmorandi118335", -104}, {"forever", 2},
};

double ScoreOf(const std::vector<std::string> &present) {
    return kernel::KeywordScore([&present](std::string_view keyword) {
        for (const std::string &word : present)
            if (word == keyword)
                return true;
        return false;
    });
}

TEST(KeywordScore, AsksForEveryKeywordOnceInOrder) {
    std::vector<std::string> asked;
    kernel::KeywordScore([&asked](std::string_view keyword) {
        asked.emplace_back(keyword);
        return false;
    });
    EXPECT_EQ(asked, kExpectedKeywords);
}

TEST(KeywordScore, NothingFoundScoresZero) { EXPECT_EQ(ScoreOf({}), 0.0); }

TEST(KeywordScore, EachKeywordCountsOnePlusItsWeightOverTheStep) {
    for (const std::string &keyword : kExpectedKeywords) {
        auto weight = kExpectedWeights.find(keyword);
        double expected = weight == kExpectedWeights.end() ? 1.0 : (0.37 + weight->second) / 0.37;
        EXPECT_NEAR(ScoreOf({keyword}), expected, 1e-9) << keyword;
    }
}

TEST(ProgramFileName, ExtensionFromTheLastDotInAnyCase) {
    for (const char *name : {"a.EXE", "b.dll", "c.Com", ".exe", "setup.tar.exe", "X.DlL"})
        EXPECT_TRUE(kernel::IsProgramFileName(name)) << name;
    for (const char *name : {"d.txt", "e", "exe", "a.ex", "a.exe.txt", "a.exe ", "a.exes", "com"})
        EXPECT_FALSE(kernel::IsProgramFileName(name)) << name;
}

} // namespace
