// Export and import against the real registry (the test device's), under HKCU\Software\TamskTest.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "regeditor/core/numbers.h"
#include "regeditor/core/regfile.h"
#include "regeditor/regfile_io.h"
#include "win32/handle.h"

namespace quintar::tamsk {
namespace {

using namespace core;
using win32::RegKey;

const std::wstring kBase = L"Software\\TamskTest";

struct Value {
  DWORD type;
  std::vector<BYTE> data;
  bool operator==(const Value&) const = default;
};
using KeyValues = std::map<std::wstring, Value>;
using Snapshot = std::map<std::wstring, KeyValues>;  // path below the base -> values

RegKey Create(const std::wstring& sub) {
  RegKey h;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kBase + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, h.put(),
                            nullptr),
            ERROR_SUCCESS);
  return h;
}

void Set(const std::wstring& sub, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
  RegKey h = Create(sub);
  EXPECT_EQ(RegSetValueExW(h.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
}
std::vector<BYTE> Sz(const std::wstring& s) {
  const BYTE* p = reinterpret_cast<const BYTE*>(s.c_str());
  return {p, p + (s.size() + 1) * 2};
}
std::vector<BYTE> Dw(DWORD v) {
  const BYTE* p = reinterpret_cast<const BYTE*>(&v);
  return {p, p + 4};
}
std::vector<BYTE> Seq(std::size_t n) {
  std::vector<BYTE> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(i + 1);
  return v;
}

void Wipe() { RegDeleteTreeW(HKEY_CURRENT_USER, kBase.c_str()); }

bool Exists(const std::wstring& sub) {
  RegKey h;
  return RegOpenKeyExW(HKEY_CURRENT_USER, (kBase + sub).c_str(), 0, KEY_READ, h.put()) == ERROR_SUCCESS;
}

void Take(HKEY h, const std::wstring& path, Snapshot& snap) {
  KeyValues& kv = snap[path];
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLen = 16384, type = 0, size = 0;
    if (RegEnumValueW(h, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size);
    nameLen = 16384;
    RegEnumValueW(h, i, name, &nameLen, nullptr, &type, data.data(), &size);
    kv[name] = {type, data};
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    RegKey c;
    if (RegOpenKeyExW(h, name, 0, KEY_READ, c.put()) == ERROR_SUCCESS) Take(c.get(), path + L"\\" + name, snap);
  }
}
Snapshot TakeSnapshot() {
  Snapshot snap;
  RegKey h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kBase.c_str(), 0, KEY_READ, h.put()) == ERROR_SUCCESS) Take(h.get(), L"", snap);
  return snap;
}

std::string ReadAll(const std::wstring& file) {
  std::string s;
  win32::FileHandle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return s;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h.get(), buf, sizeof buf, &n, nullptr) && n > 0) s.append(buf, n);
  return s;
}
void WriteAll(const std::wstring& file, const std::string& bytes) {
  win32::FileHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(h);
  DWORD n = 0;
  WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

std::string Export(const std::wstring& sub, const std::wstring& file, bool append = false) {
  std::wstring error;
  EXPECT_TRUE(ExportKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"\\" + kBase + sub, file, append, &error)) << error;
  return ReadAll(file);
}

ImportStats Import(const std::wstring& file) {
  ImportStats stats;
  std::wstring error;
  EXPECT_TRUE(ImportFile(file, &stats, &error)) << error;
  return stats;
}

class RegFileIo : public ::testing::Test {
 protected:
  void SetUp() override { Wipe(); }
  void TearDown() override { Wipe(); }
};

TEST_F(RegFileIo, ExportWritesTheFileFormatByteForByte) {
  Create(L"\\Empty");
  EXPECT_EQ(Export(L"\\Empty", L"\\empty.reg"),
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Empty]\n");

  Set(L"\\ControlPanel\\Test", L"Color", REG_SZ, Sz(L"blue"));
  Set(L"\\ControlPanel\\Test", L"Count", REG_DWORD, Dw(31));
  Set(L"\\ControlPanel\\Test", L"b", REG_BINARY, {0x01, 0xab, 0xff});
  Set(L"\\ControlPanel\\Test", L"ab", REG_BINARY, Seq(30));
  // Values come in the registry's enumeration order, which Wine keeps sorted by name.
  const std::string one =
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\Software\\TamskTest\\ControlPanel\\Test]\n"
      "\"ab\" = REG_BINARY: 01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,\\\n"
      "                   1a,1b,1c,1d,1e\n\n"
      "\"b\" = REG_BINARY: 01,ab,ff\n\n"
      "\"Color\" = REG_SZ: blue\n"
      "\"Count\" = REG_DWORD: 0000001f\n\n";
  EXPECT_EQ(Export(L"\\ControlPanel\\Test", L"\\test.reg"), one);
  // A second export adds to the end, with its own header.
  EXPECT_EQ(Export(L"\\ControlPanel\\Test", L"\\test.reg", true), one + one);
  // Without append the file is replaced.
  EXPECT_EQ(Export(L"\\ControlPanel\\Test", L"\\test.reg", false), one);

  // A DWORD of 31 comes back as 31.
  Wipe();
  ImportStats stats = Import(L"\\test.reg");
  EXPECT_EQ(stats.valuesWritten, 4u);
  RegKey h = Create(L"\\ControlPanel\\Test");
  DWORD v = 0, size = 4, type = 0;
  EXPECT_EQ(RegQueryValueExW(h.get(), L"Count", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  h.reset();
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v, 31u);
}

TEST_F(RegFileIo, TreeRoundTripLosesNothingTheFileCanCarry) {
  Set(L"", L"", REG_SZ, Sz(L"default of the base"));
  Set(L"\\A", L"s", REG_SZ, Sz(L"text with = and \" and ]"));
  Set(L"\\A", L"empty", REG_SZ, Sz(L""));
  Set(L"\\A", L"m", REG_MULTI_SZ, {'o', 0, 'n', 0, 'e', 0, 0, 0, 0, 0});
  Set(L"\\A", L"big", REG_BINARY, Seq(5000));  // longer than 1,536 and 3,072 bytes
  Set(L"\\A", L"nobytes", REG_BINARY, {});
  Set(L"\\A", L"Latin \u00e9\u00ff\u0080", REG_SZ, Sz(L"caf\u00e9 \u00a0\u00c4"));
  Set(L"\\A\\Deep\\Er\\Still", L"d", REG_DWORD, Dw(0xFFFFFFFF));
  for (int i = 0; i < 80; ++i) Set(L"\\Many", L"v" + std::to_wstring(i), REG_DWORD, Dw(i));  // more than 69
  Create(L"\\B\\Leaf");
  Snapshot before = TakeSnapshot();

  std::string file = Export(L"", L"\\tree.reg");
  // Pre-order: a key's own block comes before those of its subkeys.
  EXPECT_LT(file.find("TamskTest\\A]"), file.find("TamskTest\\A\\Deep]"));
  EXPECT_LT(file.find("TamskTest\\A\\Deep\\Er\\Still]"), file.find("TamskTest\\B]"));
  EXPECT_NE(file.find("@ = REG_SZ: default of the base\n"), std::string::npos);

  Wipe();
  ImportStats stats = Import(L"\\tree.reg");
  EXPECT_EQ(stats.failures, 0u);
  EXPECT_EQ(stats.valuesKept, 0u);
  EXPECT_EQ(TakeSnapshot(), before);
}

TEST_F(RegFileIo, ExportChoicesForWhatTheFormatLacks) {
  Set(L"", L"exp", REG_EXPAND_SZ, Sz(L"%TEMP%"));
  Set(L"", L"q", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  Set(L"", L"huge type", 0x12345, {1});
  Set(L"", L"after", REG_SZ, Sz(L"still written"));
  Set(L"", L"wide", REG_SZ, Sz(L"\u0141\u010a\u4e2d"));  // U+010A's low byte would be a line feed
  Set(L"", L"multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  std::string file = Export(L"", L"\\lacks.reg");
  EXPECT_EQ(file.find("exp"), std::string::npos);
  EXPECT_EQ(file.find("\"q\""), std::string::npos);
  EXPECT_NE(file.find("\"after\" = REG_SZ: still written\n"), std::string::npos);
  EXPECT_NE(file.find("\"wide\" = REG_SZ: ???\n"), std::string::npos);
  EXPECT_NE(file.find("\"multi\" = REG_MULTI_SZ: a\n"), std::string::npos);

  // Importing it over the same key keeps the multi-string's other strings and every other value.
  Snapshot before = TakeSnapshot();
  ImportStats stats = Import(L"\\lacks.reg");
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after[L""][L"multi"], before[L""][L"multi"]);
  EXPECT_EQ(after[L""][L"exp"], before[L""][L"exp"]);
  EXPECT_EQ(stats.valuesWritten, 1u);  // only "wide", whose text differs ("???")
}

TEST_F(RegFileIo, ImportRulesOverExistingValues) {
  Set(L"\\K", L"same", REG_SZ, Sz(L"abc"));
  Set(L"\\K", L"other", REG_SZ, Sz(L"old"));
  Set(L"\\K", L"bin", REG_BINARY, {9, 9});
  Set(L"\\K", L"num", REG_DWORD, Dw(1));
  Set(L"\\K", L"numsame", REG_DWORD, Dw(2));
  Set(L"\\K", L"typed", REG_DWORD, Dw(3));
  Set(L"\\K", L"untouched", REG_SZ, Sz(L"not in the file"));
  Create(L"\\K\\Child");
  WriteAll(L"\\rules.reg",
           "[HKEY_CURRENT_USER\\Software\\TamskTest\\K]\n"
           "\"same\" = REG_SZ: abc\n"
           "\"other\" = REG_SZ: new\n"
           "\"bin\" = REG_BINARY: 01,02\n\n"
           "\"num\" = REG_DWORD: 0000000a\n\n"
           "\"numsame\" = REG_DWORD: 00000002\n\n"
           "\"typed\" = REG_SZ: text\n"
           "\"NEW\" = REG_BINARY: 0a,0b,0c\n\n"
           "\"baddword\" = REG_DWORD: 0x10\n\n"
           "[HKEY_FOO\\Software\\TamskTest\\K]\n\"other\" = REG_SZ: from an unknown root\n"
           "[HKEY_CURRENT_USER\\Software\\TamskTest\\K\\New]\n");
  ImportStats stats = Import(L"\\rules.reg");
  Snapshot s = TakeSnapshot();
  KeyValues& k = s[L"\\K"];
  EXPECT_EQ(k[L"same"].data, Sz(L"abc"));
  EXPECT_EQ(k[L"other"].data, Sz(L"new"));
  EXPECT_EQ(k[L"bin"].data, (std::vector<BYTE>{9, 9}));
  EXPECT_EQ(k[L"num"].data, Dw(10));
  EXPECT_EQ(k[L"typed"], (Value{REG_DWORD, Dw(3)}));
  EXPECT_EQ(k[L"NEW"], (Value{REG_BINARY, {10, 11, 12}}));
  EXPECT_EQ(k[L"untouched"].data, Sz(L"not in the file"));
  EXPECT_EQ(k.count(L"baddword"), 0u);
  EXPECT_TRUE(Exists(L"\\K\\Child"));
  EXPECT_TRUE(Exists(L"\\K\\New"));
  EXPECT_EQ(stats.valuesWritten, 3u);
  EXPECT_EQ(stats.valuesKept, 4u);
  EXPECT_EQ(stats.badNumbers, 1u);
  EXPECT_EQ(stats.ignored, 1u);

  // The same file again changes nothing.
  Import(L"\\rules.reg");
  EXPECT_EQ(TakeSnapshot(), s);
}

TEST_F(RegFileIo, BadFilesNeverCrashNorDelete) {
  Set(L"\\Keep", L"v", REG_SZ, Sz(L"kept"));
  Snapshot before = TakeSnapshot();
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise.push_back(static_cast<char>((i * 7919) ^ (i >> 5)));
  WriteAll(L"\\noise.reg", noise);
  Import(L"\\noise.reg");
  std::string longLine = "[HKEY_CURRENT_USER\\Software\\TamskTest\\Keep]\n\"v\" = REG_SZ: " + std::string(1 << 20, 'x');
  WriteAll(L"\\long.reg", longLine.substr(0, longLine.size() / 2));  // truncated mid-line
  Import(L"\\long.reg");
  WriteAll(L"\\trunc.reg", "[HKEY_CURRENT_USER\\Software\\TamskTest\\Keep]\n\"v\" = REG_BIN");
  Import(L"\\trunc.reg");
  WriteAll(L"\\empty.reg", "");
  Import(L"\\empty.reg");
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after[L"\\Keep"].size(), 1u);
  EXPECT_EQ(after[L"\\Keep"][L"v"].type, static_cast<DWORD>(REG_SZ));
  // The truncated long line is a different text: overwritten, as the file says.
  EXPECT_EQ(after[L"\\Keep"][L"v"].data.size(), (longLine.size() / 2 - longLine.find(": ") - 2 + 1) * 2);

  ImportStats stats;
  std::wstring error;
  EXPECT_FALSE(ImportFile(L"\\no such file.reg", &stats, &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(
      ExportKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"\\" + kBase, L"\\no such folder\\x.reg", true, &error));
  EXPECT_EQ(error, kCreateFileError);
  // A key that does not exist: its key line only (nothing to read below it).
  EXPECT_EQ(Export(L"\\Missing", L"\\missing.reg"),
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Missing]\n");
}

// The export of a key's subtree as a plain recursive walk would write it, for comparison.
void ExpectedTree(HKEY h, const std::wstring& path, std::string& out) {
  AppendKeyLine(out, u"HKEY_CURRENT_USER", reinterpret_cast<const char16_t*>(path.c_str()));
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    BYTE data[8192];
    DWORD nameLen = 16384, type = 0, size = sizeof data;
    if (RegEnumValueW(h, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    AppendValueLine(out, {reinterpret_cast<const char16_t*>(name), nameLen}, type,
                    std::span<const std::uint8_t>(data, size));
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    RegKey c;
    if (RegOpenKeyExW(h, name, 0, KEY_READ, c.put()) == ERROR_SUCCESS) ExpectedTree(c.get(), path + L"\\" + name, out);
  }
}

// Enough subkeys that the export and import split their work between two threads.
TEST_F(RegFileIo, LargeTreesKeepTheirOrderAndContent) {
  for (int k = 0; k < 700; ++k) {
    std::wstring sub = L"\\Wide\\K" + std::to_wstring(k);
    Set(sub, L"s", REG_SZ, Sz(L"value " + std::to_wstring(k)));
    Set(sub, L"d", REG_DWORD, Dw(k));
    if (k % 7 == 0) Set(sub + L"\\Inner\\Deeper", L"b", REG_BINARY, Seq(k % 60));
  }
  Snapshot before = TakeSnapshot();
  std::string expected;
  AppendHeader(expected);
  RegKey h = Create(L"\\Wide");
  ExpectedTree(h.get(), L"\\" + kBase + L"\\Wide", expected);
  h.reset();
  EXPECT_EQ(Export(L"\\Wide", L"\\wide.reg"), expected);

  Wipe();
  ImportStats stats = Import(L"\\wide.reg");
  EXPECT_EQ(stats.valuesWritten, 1500u);
  EXPECT_EQ(stats.failures, 0u);
  EXPECT_EQ(TakeSnapshot(), before);

  // A key named twice: its later block wins, as in a file read from top to bottom.
  std::string file = "[HKEY_CURRENT_USER\\Software\\TamskTest\\Twice]\n\"v\" = REG_SZ: first\n";
  for (int k = 0; k < 300; ++k) file += "[HKEY_CURRENT_USER\\Software\\TamskTest\\Other\\" + std::to_string(k) + "]\n";
  file += "[HKEY_CURRENT_USER\\Software\\TamskTest\\TWICE]\n\"v\" = REG_SZ: second\n";
  WriteAll(L"\\twice.reg", file);
  Import(L"\\twice.reg");
  EXPECT_EQ(TakeSnapshot()[L"\\Twice"][L"v"].data, Sz(L"second"));
}

TEST_F(RegFileIo, ExportAllWritesTheFourRootsUnderOneHeader) {
  Set(L"\\All", L"marker", REG_SZ, Sz(L"here"));
  std::wstring error;
  ASSERT_TRUE(ExportAll(L"\\all.reg", false, &error)) << error;
  std::string file = ReadAll(L"\\all.reg");
  EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT]\n", 0), 0u);
  std::size_t cu = file.find("\n[HKEY_CURRENT_USER]\n"), lm = file.find("\n[HKEY_LOCAL_MACHINE]\n"),
              us = file.find("\n[HKEY_USERS]\n");
  ASSERT_NE(cu, std::string::npos);
  ASSERT_NE(lm, std::string::npos);
  ASSERT_NE(us, std::string::npos);
  EXPECT_LT(cu, lm);
  EXPECT_LT(lm, us);
  EXPECT_EQ(file.find("Windows Registry Editor", 1), std::string::npos);
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\TamskTest\\All]\n\"marker\" = REG_SZ: here\n"), std::string::npos);
  EXPECT_EQ(RootHandleFromName(L"HKEY_USERS"), HKEY_USERS);
  EXPECT_EQ(RootHandleFromName(L"HKEY_FOO"), nullptr);
}

}  // namespace
}  // namespace quintar::tamsk
