#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Ini.h"
#include "base/Text.h"

TEST(Windows1251, RoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c != 0x98) all += char(c);  // 0x98 has no character of its own
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Cp1251ToUtf8("\xC8\xE3\xF0\xEE\xEA"), "Игрок");
    EXPECT_EQ(Utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(Utf8ToCp1251("日"), "?");
}

TEST(ShortStrings, CutAtCharactersNotBytes) {
    std::string name = "Северо-западный караванщик";  // 26 characters, 49 bytes
    EXPECT_EQ(Utf8Length(ShortString(name)), 24u);
    EXPECT_EQ(ShortString(name), "Северо-западный караванщ");
    EXPECT_EQ(ShortString("abc"), "abc");
}

TEST(CaseRules, UpperCaseTouchesOnlyLatinLetters) {
    EXPECT_EQ(AsciiUpper("Hello, мир 1a"), "HELLO, мир 1A");
    EXPECT_TRUE(SameText("LOC02", "loc02"));
    EXPECT_TRUE(SameText("Игрок", "ИГРОК"));
    EXPECT_FALSE(SameText("loc0", "loc02"));
}

TEST(StrToInt, AcceptsTheStandardForms) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("  -7"), -7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("0X10"), 16);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    for (const char* bad : {"", "abc", "12a", "2147483648", "1 ", "$", "0x", "+"})
        EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
    try {
        StrToInt("WELCOME!");
        FAIL();
    } catch (const EGameError& e) {
        EXPECT_STREQ(e.what(), "'WELCOME!' is not a valid integer value");
    }
}

TEST(EscapeControlBytes, ShowsEveryByteOfAName) {
    EXPECT_EQ(EscapeControlBytes(std::string("lo\0c\x01\x7F.sc", 9)), "lo\\x00c\\x01\\x7F.sc");
    EXPECT_EQ(EscapeControlBytes("line\nnext\ttab"), "line\nnext\\x09tab");
    EXPECT_EQ(EscapeControlBytes("Скрипт \"a.sc\""), "Скрипт \"a.sc\"");
}

TEST(RoundEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(0.5), 0);
    EXPECT_EQ(RoundEven(1.5), 2);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(-0.5), 0);
    EXPECT_EQ(RoundEven(-1.5), -2);
    EXPECT_EQ(RoundEven(13.8), 14);
}

// List files come from any editor: every line end counts once, and a line
// is kept as written, spaces and empty lines included.
TEST(SplitLines, EveryLineEndCountsOnce) {
    using L = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), L{});
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), L{"a"});
    EXPECT_EQ(SplitLines("a\n\r\nb"), (L{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\r\nb"), (L{"a", "", "b"}));
    EXPECT_EQ(SplitLines(" a \n\n"), (L{" a ", ""}));
    EXPECT_TRUE(ListHas({"Metal_idle", "sand"}, "METAL_IDLE"));
    EXPECT_FALSE(ListHas({"Metal_idle"}, "metal"));
}

TEST(IniFile, ReadsProfileStrings) {
    TIniFile ini = TIniFile::Parse(
        "; comment\r\n"
        "[Main]\r\n"
        "Sounds = 3 \r\n"
        "sounds=9\r\n"  // a repeated key reads its first occurrence
        "Hex=$1F\n"
        "Hex2=0x20\r"
        "Bad=12x\n"
        "Quoted=\"  spaced  \"\n"
        "Single='x'\n"
        "Half=\"x\n"
        "Eq=a=b=c\n"
        "  [ Other ]  \n"
        "Key=other\n"
        "[main]\n"
        "Late=1\n");
    EXPECT_EQ(ini.ReadInteger("MAIN", "SOUNDS", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Main", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Main", "Hex2", 0), 32);
    EXPECT_EQ(ini.ReadInteger("Main", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Main", "Missing", -1), -1);
    EXPECT_EQ(ini.ReadString("Main", "Quoted", ""), "  spaced  ");
    EXPECT_EQ(ini.ReadString("Main", "Single", ""), "x");
    EXPECT_EQ(ini.ReadString("Main", "Half", ""), "\"x");
    EXPECT_EQ(ini.ReadString("Main", "Eq", ""), "a=b=c");
    EXPECT_EQ(ini.ReadString("other", "key", ""), "other");
    EXPECT_EQ(ini.ReadString("Main", "Late", "none"), "none");  // the first section of a name wins
    EXPECT_EQ(ini.ReadString("Nowhere", "x", "def"), "def");
}

TEST(IniFile, CutsValuesAt2047Characters) {
    std::string longValue(3000, 'a');
    TIniFile ini = TIniFile::Parse("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(ini.ReadString("S", "K", "").size(), 2047u);
}

TEST(IniFile, DecodesWindows1251) {
    TIniFile ini = TIniFile::ParseCp1251("[HitTypes]\r\nType0=\xEF\xE5\xF1\xEE\xEA\r\n");
    EXPECT_EQ(ini.ReadString("HitTypes", "Type0", ""), "песок");
}
