// Files on the test device and items for the engines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fileops/fileops.h"

namespace fotest {

// A fresh folder "\fot\<name>" on the test device.
std::wstring FreshFolder(const std::wstring& name);
bool Put(const std::wstring& path, const std::string& content, DWORD attributes = 0);
std::string Get(const std::wstring& path);  // "<missing>" when it cannot be read
bool Exists(const std::wstring& path);
std::vector<std::wstring> Names(const std::wstring& folder);  // sorted, without . and ..
quintar::fileops::FileItem Item(int kind, const std::wstring& folder, const std::wstring& name);

}  // namespace fotest
