// Storage cards and the CE attributes laid over finds and attribute reads.
#include <ceservices.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using namespace quintar::coredll::tests;
namespace win32 = quintar::win32;

namespace {

class DeviceFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* path : kPaths) RemoveTree(path);
  }
  void TearDown() override {
    for (const wchar_t* path : kPaths) RemoveTree(path);
  }

  static constexpr const wchar_t* kPaths[] = {L"\\Storage Card", L"\\SD Card", L"\\Card3", L"\\Plain", L"\\RomTest"};
  ProfileValue cards_{L"StorageCards"};
  ProfileValue roms_{L"RomFiles"};
};

std::vector<std::wstring> EnumerateCards(bool* closed = nullptr) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  win32::FindHandle h(FindFirstFlashCard(&data));
  if (!h) return names;
  do {
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY);
    names.push_back(data.cFileName);
  } while (FindNextFlashCard(h.get(), &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  const bool ok = h.Close();
  if (closed) *closed = ok;
  return names;
}

// Attributes of the entries of a CeFindFirstFile search, by name.
std::map<std::wstring, DWORD> CeList(const wchar_t* pattern) {
  std::map<std::wstring, DWORD> entries;
  WIN32_FIND_DATAW data;
  win32::FindHandle h(CeFindFirstFile(pattern, &data));
  EXPECT_TRUE(h) << Utf8(pattern);
  if (!h) return entries;
  do {
    entries[data.cFileName] = data.dwFileAttributes;
  } while (CeFindNextFile(h.get(), &data));
  EXPECT_TRUE(h.Close());
  return entries;
}

}  // namespace

TEST_F(DeviceFiles, NoCardPresentGivesAnInvalidHandle) {
  cards_.SetMultiString({L"Storage Card", L"SD Card"});
  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFlashCard(&data), INVALID_HANDLE_VALUE);
  // A file of a card's name is no card.
  MakeFile(L"\\SD Card");
  EXPECT_EQ(FindFirstFlashCard(&data), INVALID_HANDLE_VALUE);
  cards_.Remove();
  MakeFolders(L"\\Storage Card");
  EXPECT_EQ(FindFirstFlashCard(&data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFlashCard(nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(DeviceFiles, OneCardIsFoundAndTheSearchClosesWithFindClose) {
  cards_.SetMultiString({L"Storage Card"});
  MakeFolders(L"\\Storage Card");
  bool closed = false;
  EXPECT_EQ(EnumerateCards(&closed), std::vector<std::wstring>{L"Storage Card"});
  EXPECT_TRUE(closed);
}

TEST_F(DeviceFiles, TwoCardsComeInProfileOrderSkippingAbsentOnes) {
  cards_.SetMultiString({L"Card3", L"SD Card", L"Storage Card"});
  MakeFolders(L"\\Storage Card");
  MakeFolders(L"\\SD Card");
  EXPECT_EQ(EnumerateCards(), (std::vector<std::wstring>{L"SD Card", L"Storage Card"}));
  // The profile is read at each search.
  cards_.SetMultiString({L"Storage Card", L"\\Card3", L"SD Card"});
  MakeFolders(L"\\Card3");
  EXPECT_EQ(EnumerateCards(), (std::vector<std::wstring>{L"Storage Card", L"Card3", L"SD Card"}));
}

TEST_F(DeviceFiles, SearchesAreIndependentAndForeignHandlesAreRefused) {
  cards_.SetMultiString({L"Storage Card", L"SD Card"});
  MakeFolders(L"\\Storage Card");
  MakeFolders(L"\\SD Card");
  WIN32_FIND_DATAW a, b;
  win32::FindHandle first(FindFirstFlashCard(&a));
  win32::FindHandle second(FindFirstFlashCard(&b));
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_TRUE(FindNextFlashCard(first.get(), &a));
  EXPECT_STREQ(a.cFileName, L"SD Card");
  EXPECT_FALSE(FindNextFlashCard(first.get(), &a));
  EXPECT_TRUE(FindNextFlashCard(second.get(), &b));
  EXPECT_STREQ(b.cFileName, L"SD Card");
  EXPECT_TRUE(first.Close());
  EXPECT_TRUE(second.Close());

  WIN32_FIND_DATAW data;
  const win32::FindHandle plain(FindFirstFileW(L"\\*", &data));
  ASSERT_TRUE(plain);
  EXPECT_FALSE(FindNextFlashCard(plain.get(), &data));
}

TEST_F(DeviceFiles, CardFoldersAtTheRootCarryTheTemporaryAttribute) {
  cards_.SetMultiString({L"Storage Card", L"SD Card"});
  MakeFolders(L"\\Storage Card\\Storage Card");
  MakeFolders(L"\\Plain");
  MakeFile(L"\\SD Card");  // a file, not a card

  EXPECT_TRUE(CeGetFileAttributes(L"\\Storage Card") & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_TRUE(CeGetFileAttributes(L"\\storage card\\") & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_FALSE(CeGetFileAttributes(L"\\Storage Card\\Storage Card") & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_FALSE(CeGetFileAttributes(L"\\Plain") & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_FALSE(CeGetFileAttributes(L"\\SD Card") & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_EQ(CeGetFileAttributes(L"\\Missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // Wine itself drops the bit: the overlay is what carries it.
  EXPECT_FALSE(GetFileAttributesW(L"\\Storage Card") & FILE_ATTRIBUTE_TEMPORARY);

  WIN32_FILE_ATTRIBUTE_DATA info{};
  ASSERT_TRUE(CeGetFileAttributesEx(L"\\Storage Card", GetFileExInfoStandard, &info));
  EXPECT_TRUE(info.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY);

  auto root = CeList(L"\\*.*");
  ASSERT_TRUE(root.count(L"Storage Card"));
  EXPECT_TRUE(root[L"Storage Card"] & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_FALSE(root[L"Plain"] & FILE_ATTRIBUTE_TEMPORARY);
  EXPECT_FALSE(root[L"SD Card"] & FILE_ATTRIBUTE_TEMPORARY);
  auto inside = CeList(L"\\Storage Card\\*.*");
  EXPECT_FALSE(inside[L"Storage Card"] & FILE_ATTRIBUTE_TEMPORARY);

  // The card itself as the pattern.
  auto self = CeList(L"\\Storage Card");
  EXPECT_TRUE(self[L"Storage Card"] & FILE_ATTRIBUTE_TEMPORARY);
}

TEST_F(DeviceFiles, RomFilesCarryTheInRomAttributes) {
  const DWORD rom = FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE | FILE_ATTRIBUTE_READONLY;
  roms_.SetMultiString({L"\\RomTest\\calc.exe", L"\\RomTest\\sub\\deep.dll", L"\\RomTest\\gone.exe"});
  MakeFolders(L"\\RomTest\\sub");
  MakeFile(L"\\RomTest\\calc.exe");
  MakeFile(L"\\RomTest\\ram.txt");
  MakeFile(L"\\RomTest\\sub\\deep.dll");
  MakeFile(L"\\RomTest\\deep.dll");

  EXPECT_EQ(CeGetFileAttributes(L"\\RomTest\\calc.exe") & rom, rom);
  EXPECT_EQ(CeGetFileAttributes(L"\\ROMTEST\\CALC.EXE") & rom, rom);
  EXPECT_EQ(CeGetFileAttributes(L"\\RomTest\\sub\\deep.dll") & rom, rom);
  EXPECT_EQ(CeGetFileAttributes(L"\\RomTest\\ram.txt") & rom, 0u);
  EXPECT_EQ(CeGetFileAttributes(L"\\RomTest\\deep.dll") & rom, 0u);
  EXPECT_EQ(GetFileAttributesW(L"\\RomTest\\calc.exe") & (FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE), 0u);

  auto list = CeList(L"\\RomTest\\*.*");
  EXPECT_EQ(list[L"calc.exe"] & rom, rom);
  EXPECT_EQ(list[L"ram.txt"] & rom, 0u);
  EXPECT_EQ(list[L"deep.dll"] & rom, 0u);
  EXPECT_EQ(list[L"sub"] & rom, 0u);
  EXPECT_EQ(CeList(L"\\RomTest\\sub\\*")[L"deep.dll"] & rom, rom);

  // A search closed with plain FindClose leaves its handle value to be reused; a later search
  // over a folder without ROM files must not inherit the old folder's overlay.
  MakeFolders(L"\\Plain");
  MakeFile(L"\\Plain\\calc.exe");
  for (int i = 0; i < 3; ++i) {
    WIN32_FIND_DATAW data;
    HANDLE h = CeFindFirstFile(L"\\RomTest\\*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(i == 0 ? FindClose(h) : CeFindClose(h));  // the two close functions are what is tested
    EXPECT_EQ(CeList(L"\\Plain\\*")[L"calc.exe"] & rom, 0u);
  }
}

TEST_F(DeviceFiles, PathsOffTheDeviceDriveGetNoOverlay) {
  cards_.SetMultiString({L"Storage Card"});
  MakeFolders(L"\\Storage Card");
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  // The test binaries' drive is not the device: its root entries are never cards.
  std::wstring otherRoot = std::wstring(exe, 3) + L"*";
  WIN32_FIND_DATAW data;
  const win32::FindHandle h(CeFindFirstFile(otherRoot.c_str(), &data));
  ASSERT_TRUE(h);
  do {
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY) << Utf8(data.cFileName);
  } while (CeFindNextFile(h.get(), &data));
  EXPECT_EQ(CeFindFirstFile(L"\\NoSuchFolder\\*", &data), INVALID_HANDLE_VALUE);
}

TEST(NotePrj, CardEnumerationIsExportedByTheDevicesOrdinals) {
  const win32::Module module(LoadLibraryW(L"note_prj.dll"));
  ASSERT_TRUE(module);
  const HMODULE lib = module.get();
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(7))),
            reinterpret_cast<void*>(GetProcAddress(lib, "FindFirstFlashCard")));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(8))),
            reinterpret_cast<void*>(GetProcAddress(lib, "FindNextFlashCard")));
  EXPECT_NE(GetProcAddress(lib, MAKEINTRESOURCEA(7)), nullptr);
}

TEST(DeviceProfileDefaults, CardAndRomListsAreReadable) {
  const bool hadWindows = GetFileAttributesW(L"\\Windows") != INVALID_FILE_ATTRIBUTES;
  const bool hadCalc = GetFileAttributesW(L"\\Windows\\calc.exe") != INVALID_FILE_ATTRIBUTES;
  const bool hadCard = GetFileAttributesW(L"\\Storage Card") != INVALID_FILE_ATTRIBUTES;
  MakeFolders(L"\\Windows");
  if (!hadCalc) MakeFile(L"\\Windows\\calc.exe");
  if (!hadCard) MakeFolders(L"\\Storage Card");

  EXPECT_TRUE(CeGetFileAttributes(L"\\Windows\\calc.exe") & FILE_ATTRIBUTE_INROM);
  WIN32_FIND_DATAW data;
  ASSERT_TRUE(win32::FindHandle(FindFirstFlashCard(&data)));
  EXPECT_STREQ(data.cFileName, L"Storage Card");

  if (!hadCard) RemoveTree(L"\\Storage Card");
  if (!hadCalc) RemoveTree(L"\\Windows\\calc.exe");
  if (!hadWindows) RemoveTree(L"\\Windows");
}
