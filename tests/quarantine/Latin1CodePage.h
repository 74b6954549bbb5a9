// A code page for tests without a system: every byte is the code point of
// the same value (ISO 8859-1), so anything above U+00FF is unspellable.
#pragma once

#include "QuarantineIndex.h"

#include <string>

namespace qtest {

class TLatin1CodePage : public scanner::IAnsiCodePage {
public:
    std::string Utf8FromAnsi(const std::string &ansi) const override {
        std::string utf8;
        for (unsigned char c : ansi) {
            if (c < 0x80) {
                utf8 += static_cast<char>(c);
            } else {
                utf8 += static_cast<char>(0xC0 | (c >> 6));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return utf8;
    }

    // Strict UTF-8: overlong forms and stray continuation bytes are refused.
    bool ExactAnsiFromUtf8(const std::string &utf8, std::string &ansi) const override {
        ansi.clear();
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80) {
                ansi += static_cast<char>(c);
                continue;
            }
            if (c != 0xC2 && c != 0xC3)
                return false; // a lead byte of U+0100 and above, or not UTF-8
            if (i + 1 >= utf8.size())
                return false;
            const unsigned char next = static_cast<unsigned char>(utf8[++i]);
            if ((next & 0xC0) != 0x80)
                return false;
            ansi += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
        }
        return true;
    }
};

} // namespace qtest
