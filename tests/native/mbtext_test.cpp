#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/mbtext.h"

namespace {

// 表 is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
const char kHyou[] = "\x95\x5C";

std::string Trimmed(std::string s) {
    char buf[64];
    std::strcpy(buf, s.c_str());
    TrimTrailingBackslash(buf);
    return buf;
}

std::string Appended(std::string s) {
    char buf[64];
    std::strcpy(buf, s.c_str());
    AppendTrailingBackslash(buf);
    return buf;
}

TEST(LeadByte, TableBoundaries) {
    for (int b = 0; b < 256; ++b) {
        bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(b)), expected) << b;
    }
}

TEST(TrailingBackslash, TrimKeepsSecondByteOfDoubleByteCharacter) {
    EXPECT_EQ(Trimmed("C:\\game\\"), "C:\\game");
    EXPECT_EQ(Trimmed("C:\\game"), "C:\\game");
    EXPECT_EQ(Trimmed(""), "");
    EXPECT_EQ(Trimmed("\\"), "");
    EXPECT_EQ(Trimmed(std::string("C:\\") + kHyou), std::string("C:\\") + kHyou);
    EXPECT_EQ(Trimmed(std::string("C:\\") + kHyou + "\\"), std::string("C:\\") + kHyou);
    EXPECT_EQ(Trimmed("C:\\\x83\x5C"), "C:\\\x83\x5C");  // ソ
}

TEST(TrailingBackslash, AppendOnlyWhenMissing) {
    EXPECT_EQ(Appended(""), "\\");
    EXPECT_EQ(Appended("C:\\tmp"), "C:\\tmp\\");
    EXPECT_EQ(Appended("C:\\tmp\\"), "C:\\tmp\\");
    EXPECT_EQ(Appended("\\"), "\\");
    EXPECT_EQ(Appended(std::string("C:\\") + kHyou), std::string("C:\\") + kHyou + "\\");
    EXPECT_EQ(Appended("C:\\\x83\x5C"), "C:\\\x83\x5C\\");  // ソ
}

TEST(MbSearch, SecondBytesAreNeverMatched) {
    std::string text = std::string("a") + kHyou + "b\\c";
    const char* hit = MbsChr(text.c_str(), '\\');
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit - text.c_str(), 4);
    // ソ (83 5C) then 'x': "\\x" must not match inside it.
    EXPECT_EQ(MbsStr("\x83\x5Cx", "\\x"), nullptr);
    EXPECT_NE(MbsStr("ab.TXT", ".TXT"), nullptr);
    const char abc[] = "abc";
    EXPECT_EQ(MbsStr(abc, ""), abc);
}

TEST(MbSearch, SingleByteCodePageMatchesBytewise) {
    SetMbCodePage(1252);
    EXPECT_NE(MbsStr("\x83\x5Cx", "\\x"), nullptr);
    SetMbCodePage(932);
}

TEST(MbLower, LettersOnlyNeverSecondBytes) {
    // 0x83 0x41 is ア: its 'A' second byte must stay.
    char text[] = "ABC\x83\x41Z\x82\x60\x82\x79";
    MbsLwr(text);
    EXPECT_STREQ(text, "abc\x83\x41z\x82\x81\x82\x9A");
}

TEST(CopyText, NeverSplitsACharacter) {
    char buf[4];
    EXPECT_FALSE(CopyText(buf, sizeof buf, "ab\x95\x5C"));
    EXPECT_STREQ(buf, "ab");
    EXPECT_TRUE(CopyText(buf, sizeof buf, "abc"));
    EXPECT_STREQ(buf, "abc");
}

}  // namespace
