// The MD5 module against the RFC 1321 test suite and digests taken with
// md5sum at the padding borders, fed whole and in pieces.
#include "Md5.h"

#include "RandomBytes.h"

#include <gtest/gtest.h>

#include <string>

using kernel::LowerHexText;
using kernel::Md5;
using kernel::Md5Digest;

namespace {

using testsupport::RandomBytes;

std::string Hex(const Md5Digest &digest) { return LowerHexText(digest.data(), digest.size()); }

std::string HexOf(const std::string &text) { return Hex(kernel::Md5Of(text.data(), text.size())); }

} // namespace

TEST(Md5, Rfc1321Suite) {
    const std::pair<const char *, const char *> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &[message, digest] : suite)
        EXPECT_EQ(HexOf(message), digest) << '"' << message << '"';
}

TEST(Md5, PaddingBorders) {
    const std::pair<size_t, const char *> cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {57, "652b906d60af96844ebd21b674f35e93"},  {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},  {65, "c743a45e0d2e6a95cb859adae0248435"},
        {119, "8a7bd0732ed6a28ce75f6dabc90e1613"}, {120, "5f61c0ccad4cac44c75ff505e1f1e537"},
        {128, "e510683b3f5ffe4093d021808bc6ff70"},
    };
    for (const auto &[count, digest] : cases)
        EXPECT_EQ(HexOf(std::string(count, 'a')), digest) << count << " bytes";
}

TEST(Md5, MillionBytesFedInOddPieces) {
    Md5 md5;
    std::string piece(997, 'a');
    size_t left = 1000000;
    for (; left >= piece.size(); left -= piece.size())
        md5.Update(piece.data(), piece.size());
    md5.Update(piece.data(), left);
    EXPECT_EQ(Hex(md5.Finish()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, AnySplitGivesTheWholeDigest) {
    const std::string message = RandomBytes(300, 7);
    const std::string whole = HexOf(message);
    for (size_t cut = 0; cut <= message.size(); ++cut) {
        for (size_t step : {1u, 63u, 64u, 65u, 300u}) {
            Md5 md5;
            md5.Update(message.data(), cut);
            for (size_t at = cut; at < message.size(); at += step)
                md5.Update(message.data() + at, std::min(step, message.size() - at));
            ASSERT_EQ(Hex(md5.Finish()), whole) << "cut " << cut << " step " << step;
        }
    }
}

TEST(Md5, HexTextIsLowerCaseHighDigitFirst) {
    const unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff, 0x5c};
    EXPECT_EQ(LowerHexText(bytes, sizeof bytes), "000fa0ff5c");
    EXPECT_EQ(LowerHexText(bytes, 0), "");
}
