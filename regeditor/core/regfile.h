// Tamsk's registry file: writer and reader. Portable: no windows.h.
//
// The file is 8-bit text, one line-feed byte (0x0A) per line end:
//   Windows Registry Editor Version 5.00        (no line end of its own)
//   \n[HKEY_CURRENT_USER\ControlPanel\Test]\n   (one block per key, depth-first pre-order)
//   "Color" = REG_SZ: blue\n
//   "Count" = REG_DWORD: 0000001f\n\n
//   "b" = REG_BINARY: 01,ab,ff\n\n              (25 bytes a line, continued with "\")
//   @ = REG_SZ: default value's text\n
// Characters are written as one byte: U+0000..U+00FF as that byte (Latin-1), anything above
// U+00FF as "?" (its low byte could be a quote, a bracket or a line feed and break the file).
// Line feeds inside names and strings are left out: the reader drops them anyway, and kept they
// could start a line of their own (a key line or a value line that the import would apply).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "regeditor/core/registry_text.h"

namespace quintar::tamsk::core {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

// The writer appends bytes to `out`; the Win32 side flushes `out` to the file when it grows.
void AppendHeader(std::string& out);
// "\n[" root path "]\n"; path is "" for the root itself or starts with "\".
void AppendKeyLine(std::string& out, std::u16string_view rootName, std::u16string_view path);
// One value line. REG_SZ, REG_MULTI_SZ (first string), REG_DWORD and REG_BINARY (whole, however
// long) are written; other types have no line form and write nothing (returns false).
bool AppendValueLine(std::string& out, std::u16string_view name, std::uint32_t type,
                     std::span<const std::uint8_t> data);
// "\nError\n": a subkey enumeration that lost its handle.
void AppendErrorLine(std::string& out);
// A text as the file holds it (one byte per character, see above).
void AppendText8(std::string& out, std::u16string_view text);

// What the reader found for one value line.
enum class ParsedType { String, MultiString, Dword, Binary, BadNumber };
struct ParsedValue {
  std::u16string name;  // empty for the default value ("@")
  ParsedType type = ParsedType::String;
  std::u16string text;              // String, MultiString: the text (Latin-1 decoded)
  std::uint32_t dword = 0;          // Dword
  std::vector<std::uint8_t> bytes;  // Binary
};
struct ParsedKey {
  RegRoot root = RegRoot::CurrentUser;
  std::u16string path;  // "" or "\A\B", Latin-1 decoded
  std::vector<ParsedValue> values;
};
struct ParsedFile {
  std::vector<ParsedKey> keys;   // in file order; a key line repeated gives two entries
  std::size_t unknownRoots = 0;  // key lines under a root that is none of the four (ignored)
  std::size_t unknownTypes = 0;  // value lines of another type word (ignored)
  std::size_t badNumbers = 0;    // REG_DWORD / REG_BINARY data that is not hexadecimal (kept as
                                 // BadNumber values, which are not applied)
};

// Reads a whole file. Any bytes are accepted: lines of any length, NULs, CR LF line ends (read
// as LF, like a text-mode read), truncation anywhere; what cannot be read is skipped. The header
// is not required. Besides quoted names, "@ = " lines are read as the key's default value.
ParsedFile ParseRegFile(std::string_view bytes);

// The existing value of the same name, as the import sees it before writing.
struct ExistingValue {
  std::uint32_t type = 0;
  std::span<const std::uint8_t> data;
};
// Whether the import writes a parsed value: always when the key has no value of that name;
// a string over a REG_SZ whose text differs, a multi-string over a REG_MULTI_SZ whose first
// string differs (the file holds only the first), a DWORD over a REG_DWORD whose number differs;
// never over a binary value nor over a value of another type, and never for BadNumber.
bool ImportShouldWrite(const ParsedValue& value, const ExistingValue* existing);
// The type and data the import writes for a parsed value (BadNumber: type kRegNone, no data).
std::uint32_t ImportType(const ParsedValue& value) noexcept;
std::vector<std::uint8_t> ImportData(const ParsedValue& value);

}  // namespace quintar::tamsk::core
