#include <gtest/gtest.h>

#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"

namespace quintar::tamsk::core {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

TEST(ValueText, EachTypeAsTheListShowsIt) {
  EXPECT_EQ(ValueDataText(kRegDword, Bytes({31, 0, 0, 0})), u"0x1F");
  EXPECT_EQ(ValueDataText(kRegDword, Bytes({0, 0, 0, 0})), u"0x0");
  EXPECT_EQ(ValueDataText(kRegDword, Bytes({0xff, 0xff, 0xff, 0xff})), u"0xFFFFFFFF");
  EXPECT_EQ(ValueDataText(kRegBinary, Bytes({1, 171})), u"01AB");
  EXPECT_EQ(ValueDataText(kRegMultiSz, Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})), u"a");
  EXPECT_EQ(ValueDataText(kRegSz, StringData(u"blue")), u"blue");
  EXPECT_EQ(ValueDataText(kRegExpandSz, StringData(u"%TEMP%\\x")), u"%TEMP%\\x");
  EXPECT_EQ(ValueDataText(11, Bytes({1, 2, 3, 4, 5, 6, 7, 8})), u"Unknown type: b");
  EXPECT_EQ(ValueDataText(0x1A2B, {}), u"Unknown type: 1a2b");

  EXPECT_EQ(ValueTypeText(kRegMultiSz), u"REG_MULTI_SZ");
  EXPECT_EQ(ValueTypeText(kRegExpandSz), u"REG_EXPAND_SZ");
  EXPECT_EQ(ValueTypeText(11), u"");
  EXPECT_EQ(ValueImageIndex(kRegSz), 2);
  EXPECT_EQ(ValueImageIndex(kRegExpandSz), 3);
}

TEST(ValueText, OddOrUnterminatedDataIsReadSafely) {
  EXPECT_EQ(ValueDataText(kRegSz, Bytes({'a', 0, 'b'})), u"a");      // odd byte dropped
  EXPECT_EQ(ValueDataText(kRegSz, Bytes({'a', 0, 'b', 0})), u"ab");  // no terminator
  EXPECT_EQ(ValueDataText(kRegSz, {}), u"");
  EXPECT_EQ(ValueDataText(kRegDword, Bytes({0x12, 0x34})), u"0x3412");  // short DWORD
  EXPECT_EQ(ValueDataText(kRegMultiSz, {}), u"");
  EXPECT_EQ(MultiStrings(Bytes({'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0})),
            (std::vector<std::u16string>{u"a", u"bc"}));
}

TEST(ValueText, LongDataIsCutToTheRowWithoutBuildingItWhole) {
  std::vector<std::uint8_t> big(100000, 0xAB);
  std::u16string t = ValueDataText(kRegBinary, big, kRowDataChars);
  EXPECT_EQ(t.size(), kRowDataChars);
  EXPECT_EQ(t.substr(0, 4), u"ABAB");
  std::u16string s(5000, u'x');
  EXPECT_EQ(ValueDataText(kRegSz, StringData(s), 10), std::u16string(10, u'x'));
  EXPECT_EQ(ValueDataText(kRegBinary, big).size(), 200000u);
}

TEST(ValueText, StringDataCarriesItsTerminators) {
  EXPECT_EQ(StringData(u"ab"), Bytes({'a', 0, 'b', 0, 0, 0}));
  EXPECT_EQ(MultiStringData(u"ab"), Bytes({'a', 0, 'b', 0, 0, 0, 0, 0}));
  EXPECT_EQ(StringData(u""), Bytes({0, 0}));
  EXPECT_EQ(FirstString(StringData(u"\u0141\u00e9")), u"\u0141\u00e9");
}

TEST(KeyPaths, RootsAndComponents) {
  EXPECT_EQ(RootFromName(u"HKEY_LOCAL_MACHINE"), RegRoot::LocalMachine);
  EXPECT_FALSE(RootFromName(u"HKEY_FOO"));
  EXPECT_FALSE(RootFromName(u"hkey_local_machine"));
  EXPECT_EQ(RootHandleValue(RegRoot::Users), 0x80000003u);
  EXPECT_EQ(FullKeyText(u"HKEY_LOCAL_MACHINE", u"\\Software\\Apps"), u"HKEY_LOCAL_MACHINE\\Software\\Apps");
  EXPECT_EQ(FullKeyText(u"HKEY_CURRENT_USER", u""), u"HKEY_CURRENT_USER");
  EXPECT_EQ(ParentKeyPath(u"\\Software\\Apps"), u"\\Software");
  EXPECT_EQ(ParentKeyPath(u"\\Software"), u"");
  EXPECT_EQ(LastKeyComponent(u"\\Software\\Apps"), u"Apps");
  EXPECT_EQ(JoinKeyPath(u"", u"Software"), u"\\Software");
  auto parts = SplitKeyPath(u"\\a\\\\b\\");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1], u"b");
}

TEST(Numbers, Hexadecimal) {
  EXPECT_EQ(ParseHex32(u"ff"), 255u);
  EXPECT_EQ(ParseHex32(u"FfFf"), 0xFFFFu);
  EXPECT_EQ(ParseHex32(u""), 0u);
  EXPECT_EQ(ParseHex32(u"123456789"), 0x23456789u);  // nine digits keep the last eight
  EXPECT_FALSE(ParseHex32(u"0x1f"));
  EXPECT_FALSE(ParseHex32(u"1g"));
  EXPECT_FALSE(ParseHex32(u" 1"));
  EXPECT_FALSE(ParseHex32(u"\uff11"));  // a full-width digit is not a digit
  EXPECT_EQ(ParseHex32_8("0000001f"), 31u);
  EXPECT_FALSE(ParseHex32_8("1f\xc6"));
}

TEST(Numbers, Decimal) {
  EXPECT_EQ(ParseDec32(u"255"), 255u);
  EXPECT_EQ(ParseDec32(u""), 0u);
  EXPECT_EQ(ParseDec32(u"4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseDec32(u"4294967296"), 0u);  // 32-bit arithmetic
  EXPECT_FALSE(ParseDec32(u"-1"));
  EXPECT_FALSE(ParseDec32(u"1a"));
}

TEST(Numbers, HexBytes) {
  EXPECT_EQ(ParseHexBytes(u"abc"), Bytes({0xAB, 0x0C}));
  EXPECT_EQ(ParseHexBytes(u"01AB"), Bytes({0x01, 0xAB}));
  EXPECT_EQ(ParseHexBytes(u""), std::vector<std::uint8_t>{});
  EXPECT_FALSE(ParseHexBytes(u"01,ab"));
  EXPECT_EQ(ParseHexBytes8("f"), Bytes({0x0F}));
  EXPECT_FALSE(ParseHexBytes8("zz"));
}

TEST(Numbers, BaseSwitchRoundTripsEveryNumber) {
  // ff in Hex, then Dec shows 255, then Hex shows ff again.
  std::u16string dec = FormatDec(*ParseHex32(u"ff"));
  EXPECT_EQ(dec, u"255");
  EXPECT_EQ(FormatHexLower(*ParseDec32(dec)), u"ff");
  // Above 0x7FFFFFFF the decimal text stays parseable (a signed "%d" would not).
  for (std::uint32_t v : {0x80000000u, 0xFFFFFFFFu, 0u}) {
    EXPECT_EQ(ParseDec32(FormatDec(v)), v);
    EXPECT_EQ(ParseHex32(FormatHexLower(v)), v);
  }
}

TEST(Names, ComparisonFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(NamesEqual(u"Zeta", u"zeta"));
  EXPECT_TRUE(NamesEqual(u"ALPHA", u"alpha"));
  EXPECT_FALSE(NamesEqual(u"alpha", u"alpha "));
  EXPECT_FALSE(NamesEqual(u"\u00c9", u"\u00e9"));  // only A-Z are folded
  EXPECT_FALSE(NamesEqual(u"[", u"{"));
  EXPECT_TRUE(NameContains(u"HKEY_Software", u"SOFT"));
  EXPECT_FALSE(NameContains(u"Sof", u"soft"));
  EXPECT_TRUE(NameContains(u"abc", u""));
  EXPECT_TRUE(TextMatches(u"Software", u"software", true));
  EXPECT_FALSE(TextMatches(u"SoftwareUpdate", u"Software", true));
  EXPECT_TRUE(TextMatches(u"SoftwareUpdate", u"Software", false));
}

}  // namespace
}  // namespace quintar::tamsk::core
