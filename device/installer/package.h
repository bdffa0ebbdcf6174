// The installation package of the device's installer stand-in: a folder (or a ZIP of one) whose
// "package.txt" names the package, its install folder, its setup DLL, its files, shortcuts and
// registry values. Portable: the manifest is read here, the files are moved by wceload.exe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quintar::device::installer {

inline constexpr char16_t kManifestName[] = u"package.txt";

struct Shortcut {
  std::u16string link;    // device path of the .lnk file
  std::u16string target;  // its command line
};

enum class Root { LocalMachine, CurrentUser, ClassesRoot };
enum class ValueType { String, Dword };

struct Value {
  Root root = Root::LocalMachine;
  std::u16string key;
  std::u16string name;
  ValueType type = ValueType::String;
  std::u16string text;       // String
  unsigned long number = 0;  // Dword
};

struct Manifest {
  std::u16string name;
  std::u16string folder;              // the default install folder
  std::u16string setup;               // the setup DLL among the files, or empty
  std::vector<std::u16string> files;  // relative to the package and to the install folder
  std::vector<Shortcut> shortcuts;
  std::vector<Value> values;
};

struct ParseResult {
  bool ok = false;
  int line = 0;       // the first line that could not be read (0: the whole text)
  std::string error;  // why, in English
};

// Reads a UTF-8 manifest (a byte-order mark is skipped). Lines are "Keyword=value"; empty lines
// and lines starting with '#' are skipped. Keywords:
//   Name=, Folder=, Setup=, File=<relative path>, Shortcut=<link>|<target>,
//   String=<root>\<key>|<value name>|<text>, Dword=<root>\<key>|<value name>|<decimal>, the root
//   HKLM, HKCU or HKCR (COM classes and shell handlers); an empty value name is the key's default.
// "%InstallDir%" in a shortcut's target or a string value stands for the install folder.
ParseResult ParseManifest(std::string_view utf8, Manifest& out);

// A path inside the package: relative, no "..", no drive, no doubled or trailing separator.
bool IsSafeRelativePath(std::u16string_view path);
// A device path: one leading '\', no ':', no "\\", no "." or ".." parts, under 260 units.
bool IsDevicePath(std::u16string_view path);

// `text` with every "%InstallDir%" replaced by `folder`.
std::u16string Expand(std::u16string_view text, std::u16string_view folder);

}  // namespace quintar::device::installer
