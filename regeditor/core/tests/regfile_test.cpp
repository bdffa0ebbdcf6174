#include <gtest/gtest.h>

#include "regeditor/core/regfile.h"

namespace quintar::tamsk::core {
namespace {

std::vector<std::uint8_t> Dword(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

std::vector<std::uint8_t> Seq(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i + 1);
  return v;
}

TEST(RegFileWriter, KeyWithStringDwordAndBinary) {
  std::string out;
  AppendHeader(out);
  AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\ControlPanel\\Test");
  EXPECT_TRUE(AppendValueLine(out, u"Color", kRegSz, StringData(u"blue")));
  EXPECT_TRUE(AppendValueLine(out, u"Count", kRegDword, Dword(31)));
  EXPECT_TRUE(AppendValueLine(out, u"b", kRegBinary, std::vector<std::uint8_t>{0x01, 0xab, 0xff}));
  EXPECT_EQ(out,
            "Windows Registry Editor Version 5.00\n"
            "[HKEY_CURRENT_USER\\ControlPanel\\Test]\n"
            "\"Color\" = REG_SZ: blue\n"
            "\"Count\" = REG_DWORD: 0000001f\n\n"
            "\"b\" = REG_BINARY: 01,ab,ff\n\n");
}

TEST(RegFileWriter, BinaryWrapsEvery25BytesUnderTheFirstDigit) {
  std::string out;
  AppendValueLine(out, u"ab", kRegBinary, Seq(30));
  EXPECT_EQ(out,
            "\"ab\" = REG_BINARY: 01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,\\\n"
            "                   1a,1b,1c,1d,1e\n\n");
  // Exactly 25 bytes: one line, no continuation; 26: the last byte alone on the second line.
  out.clear();
  AppendValueLine(out, u"x", kRegBinary, Seq(25));
  EXPECT_EQ(out.find('\\'), std::string::npos);
  out.clear();
  AppendValueLine(out, u"x", kRegBinary, Seq(26));
  EXPECT_EQ(out.substr(out.size() - 28), ",19,\\\n" + std::string(18, ' ') + "1a\n\n");
  out.clear();
  AppendValueLine(out, u"e", kRegBinary, {});
  EXPECT_EQ(out, "\"e\" = REG_BINARY: \n\n");
}

TEST(RegFileWriter, LongBinaryIsWrittenWhole) {
  std::string out;
  std::vector<std::uint8_t> big(5000, 0x5a);
  AppendValueLine(out, u"big", kRegBinary, big);
  ParsedFile f = ParseRegFile("[HKEY_CURRENT_USER\\K]\n" + out);
  ASSERT_EQ(f.keys.size(), 1u);
  ASSERT_EQ(f.keys[0].values.size(), 1u);
  EXPECT_EQ(f.keys[0].values[0].bytes, big);
}

TEST(RegFileWriter, OtherFormsAndCharacters) {
  std::string out;
  AppendKeyLine(out, u"HKEY_LOCAL_MACHINE", u"");
  AppendValueLine(out, u"", kRegSz, StringData(u"def"));
  std::vector<std::uint8_t> multi = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  AppendValueLine(out, u"m", kRegMultiSz, multi);
  AppendValueLine(out, u"caf\u00e9", kRegSz, StringData(u"\u00ff\u0141x"));
  EXPECT_FALSE(AppendValueLine(out, u"exp", kRegExpandSz, StringData(u"%x%")));
  EXPECT_FALSE(AppendValueLine(out, u"q", 11, Dword(1)));
  EXPECT_FALSE(AppendValueLine(out, u"t", 0x7fffffff, Dword(1)));
  AppendErrorLine(out);
  EXPECT_EQ(out,
            "\n[HKEY_LOCAL_MACHINE]\n"
            "@ = REG_SZ: def\n"
            "\"m\" = REG_MULTI_SZ: a\n"
            "\"caf\xe9\" = REG_SZ: \xff?x\n"
            "\nError\n");
}

TEST(RegFileWriter, TwoExportsAppendedReadAsBoth) {
  std::string out;
  for (int i = 0; i < 2; ++i) {
    AppendHeader(out);
    AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\T");
    AppendValueLine(out, u"n", kRegDword, Dword(7));
  }
  EXPECT_EQ(out,
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\T]\n\"n\" = REG_DWORD: 00000007\n\n"
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\T]\n\"n\" = REG_DWORD: 00000007\n\n");
  ParsedFile f = ParseRegFile(out);
  ASSERT_EQ(f.keys.size(), 2u);
  EXPECT_EQ(f.keys[1].values.at(0).dword, 7u);
}

// Everything the writer produces for the four types comes back, names and data alike.
TEST(RegFileReader, RoundTripOfEveryForm) {
  struct V {
    std::u16string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  std::vector<V> values = {
      {u"Color", kRegSz, StringData(u"blue")},
      {u"", kRegSz, StringData(u"default")},
      {u"Count", kRegDword, Dword(31)},
      {u"max", kRegDword, Dword(0xFFFFFFFF)},
      {u"ab", kRegBinary, Seq(30)},
      {u"big", kRegBinary, Seq(1537)},
      {u"empty", kRegBinary, {}},
      {u"es", kRegSz, StringData(u"")},
      {u"m", kRegMultiSz, MultiStringData(u"first")},
      {u"a\"b = c", kRegSz, StringData(u"x = \"y\": z")},
      {u"latin\u00a0\u00ff", kRegSz, StringData(u"\u0080\u00c4\u00e9\u00ff")},
      {u"[bracket", kRegDword, Dword(2)},
      {u"@", kRegSz, StringData(u"at")},
  };
  std::string out;
  AppendHeader(out);
  AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\Software\\T\u00e9st]x");
  for (const V& v : values) AppendValueLine(out, v.name, v.type, v.data);
  AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\Software\\T\u00e9st]x\\Sub");

  ParsedFile f = ParseRegFile(out);
  ASSERT_EQ(f.keys.size(), 2u);
  EXPECT_EQ(f.keys[0].root, RegRoot::CurrentUser);
  EXPECT_EQ(f.keys[0].path, u"\\Software\\T\u00e9st]x");
  EXPECT_EQ(f.keys[1].path, u"\\Software\\T\u00e9st]x\\Sub");
  EXPECT_TRUE(f.keys[1].values.empty());
  ASSERT_EQ(f.keys[0].values.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const ParsedValue& p = f.keys[0].values[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(p.name, values[i].name);
    EXPECT_EQ(ImportType(p), values[i].type);
    EXPECT_EQ(ImportData(p), values[i].data);
  }
  EXPECT_EQ(f.unknownRoots + f.unknownTypes + f.badNumbers, 0u);
}

// A string holding line feeds must not turn into lines of its own on import.
TEST(RegFileWriter, LineFeedsInTextsCannotInjectLines) {
  std::string out;
  AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\K");
  AppendValueLine(out, u"v", kRegSz, StringData(u"a\n[HKEY_LOCAL_MACHINE\\Evil]\n\"x\" = REG_SZ: y"));
  AppendValueLine(out, u"n\nm", kRegDword, Dword(1));
  ParsedFile f = ParseRegFile(out);
  ASSERT_EQ(f.keys.size(), 1u);
  ASSERT_EQ(f.keys[0].values.size(), 2u);
  EXPECT_EQ(f.keys[0].values[0].text, u"a[HKEY_LOCAL_MACHINE\\Evil]\"x\" = REG_SZ: y");
  EXPECT_EQ(f.keys[0].values[1].name, u"nm");
}

TEST(RegFileReader, LayoutVariants) {
  // No header, CR LF line ends, blank lines between values, text between blocks.
  ParsedFile f = ParseRegFile(
      "[HKEY_LOCAL_MACHINE\\A]\r\n\r\n\"s\" = REG_SZ: one\r\n\r\n\r\n\"d\" = REG_DWORD: 0000000a\r\n\r\n"
      "junk line\n\"lost\" = REG_SZ: after junk\n[HKEY_USERS]\n\"u\"=REG_DWORD:ff  \n");
  ASSERT_EQ(f.keys.size(), 2u);
  ASSERT_EQ(f.keys[0].values.size(), 2u);
  EXPECT_EQ(f.keys[0].values[0].text, u"one");
  EXPECT_EQ(f.keys[0].values[1].dword, 10u);
  EXPECT_EQ(f.keys[1].root, RegRoot::Users);
  EXPECT_EQ(f.keys[1].path, u"");
  ASSERT_EQ(f.keys[1].values.size(), 1u);
  EXPECT_EQ(f.keys[1].values[0].dword, 255u);
}

TEST(RegFileReader, UnknownRootsTypesAndBadNumbersArePassedOver) {
  ParsedFile f = ParseRegFile(
      "[HKEY_FOO\\Bar]\n\"x\" = REG_SZ: ignored\n"
      "[HKEY_CURRENT_USER\\K]\n"
      "\"e\" = REG_EXPAND_SZ: %x%\n"
      "\"n\" = no type here\n"
      "\"d\" = REG_DWORD: 12xz\n"
      "\"b\" = REG_BINARY: 01,zz\n"
      "\"ok\" = REG_SZ: fine\n"
      "[no closing bracket\n\"y\" = REG_SZ: ignored too\n");
  ASSERT_EQ(f.keys.size(), 1u);
  EXPECT_EQ(f.unknownRoots, 2u);
  EXPECT_EQ(f.unknownTypes, 2u);
  EXPECT_EQ(f.badNumbers, 2u);
  const auto& v = f.keys[0].values;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].type, ParsedType::BadNumber);
  EXPECT_EQ(v[1].type, ParsedType::BadNumber);
  EXPECT_FALSE(ImportShouldWrite(v[0], nullptr));
  EXPECT_EQ(v[2].text, u"fine");
}

TEST(RegFileReader, TruncatedAndBinaryInputNeverOverreads) {
  std::string full;
  AppendHeader(full);
  AppendKeyLine(full, u"HKEY_CURRENT_USER", u"\\K");
  AppendValueLine(full, u"ab", kRegBinary, Seq(60));
  AppendValueLine(full, u"s", kRegSz, StringData(u"text"));
  for (std::size_t n = 0; n <= full.size(); ++n) {
    ParsedFile f = ParseRegFile(std::string_view(full).substr(0, n));
    for (const ParsedKey& k : f.keys) {
      for (const ParsedValue& v : k.values) {
        if (v.type == ParsedType::Binary) {
          EXPECT_LE(v.bytes.size(), 60u);
        }
      }
    }
  }
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 131) ^ (i >> 3)));
  ParseRegFile(noise);
  ParseRegFile(std::string("[HKEY_CURRENT_USER\\K]\n\"") + std::string(100000, '=') + "\n");
  using namespace std::string_literals;
  ParsedFile nul = ParseRegFile("[HKEY_CURRENT_USER\\K\0]\n\"a\0\" = REG_SZ: \0b\n"s);
  ASSERT_EQ(nul.keys.size(), 1u);
  EXPECT_EQ(nul.keys[0].values.at(0).text, u"\0b"s);
}

TEST(ImportRules, WhenAValueIsWritten) {
  ParsedValue s{u"v", ParsedType::String, u"abc", 0, {}};
  auto sameSz = StringData(u"abc"), otherSz = StringData(u"abd"), caseSz = StringData(u"ABC");
  ExistingValue e{kRegSz, sameSz};
  EXPECT_TRUE(ImportShouldWrite(s, nullptr));
  EXPECT_FALSE(ImportShouldWrite(s, &e));
  e.data = otherSz;
  EXPECT_TRUE(ImportShouldWrite(s, &e));
  e.data = caseSz;
  EXPECT_TRUE(ImportShouldWrite(s, &e));  // case-sensitive
  auto d = Dword(5);
  e = {kRegDword, d};
  EXPECT_FALSE(ImportShouldWrite(s, &e));  // never changes a value's type

  ParsedValue m{u"v", ParsedType::MultiString, u"a", 0, {}};
  std::vector<std::uint8_t> ab = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  e = {kRegMultiSz, ab};
  EXPECT_FALSE(ImportShouldWrite(m, &e));  // same first string: the others are kept

  ParsedValue n{u"v", ParsedType::Dword, {}, 5, {}};
  e = {kRegDword, d};
  EXPECT_FALSE(ImportShouldWrite(n, &e));
  auto six = Dword(6);
  e.data = six;
  EXPECT_TRUE(ImportShouldWrite(n, &e));

  ParsedValue b{u"v", ParsedType::Binary, {}, 0, {1, 2}};
  std::vector<std::uint8_t> old = {9};
  e = {kRegBinary, old};
  EXPECT_FALSE(ImportShouldWrite(b, &e));
  EXPECT_TRUE(ImportShouldWrite(b, nullptr));
}

}  // namespace
}  // namespace quintar::tamsk::core
