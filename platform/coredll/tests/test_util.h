// Helpers for the device-service tests: profile values set for one test and restored after.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "testsupport/testsupport.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::coredll::tests {

// Remembers a profile value (or its absence) and puts it back on destruction.
class ProfileValue {
 public:
  explicit ProfileValue(const wchar_t* name);
  ~ProfileValue();
  ProfileValue(const ProfileValue&) = delete;
  ProfileValue& operator=(const ProfileValue&) = delete;

  void SetDword(DWORD value);
  void SetString(const std::wstring& value);
  void SetMultiString(std::initializer_list<const wchar_t*> values);
  void Remove();

 private:
  std::wstring name_;
  bool existed_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

using testsupport::ReadFileBytes;
// Splits UTF-8 text into lines at "\n" (the last empty piece dropped).
std::vector<std::string> Lines(const std::string& text);
// Creates a folder and its parents.
void MakeFolders(const std::wstring& path);
void MakeFile(const std::wstring& path, const char* content = "x");
// Removes a file or a folder tree; silent when missing.
void RemoveTree(const std::wstring& path);
using win32::Utf8;

}  // namespace quintar::coredll::tests
