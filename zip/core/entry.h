// What a ZIP entry's header fields mean on the device: names (how they are written, how a name
// read from any archive is decoded and made safe to extract), DOS times and attributes. Plain
// C++, shared by Menuvex and the device's archiver library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::zip::core {

inline constexpr std::size_t kMaxPathChars = 259;

// ---- Names -----------------------------------------------------------------------------------

// The entry name of a path relative to the archive's base: every "\" becomes "/", and a folder's
// name ends in "/".
std::u16string EntryName(std::u16string_view relative, bool folder);

// Files already compressed are stored (method 0) rather than deflated: names ending, in any case,
// in ".Z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz" or ".tgz".
bool IsStoredByName(std::u16string_view name);

// Where an entry may be written below the target folder: the name split on "/" and "\", with
// empty, "." and ".." components and drive prefixes dropped, trailing dots and spaces cut (the
// file system drops them anyway), characters the device refuses replaced by "_", and reserved
// device names (CON, NUL, COM1, ...) prefixed with "_". The components are joined with "\".
// Nothing when no component is left or the result is longer than kMaxPathChars.
std::optional<std::u16string> SafeRelativePath(std::u16string_view entryName);

// Whether a name is plainly relative: no leading "/" or "\", no drive or other ":", and no empty,
// "." or ".." component (a folder's one trailing "/" aside). A stricter reader refuses the rest
// rather than mapping it below the target as SafeRelativePath does.
bool IsPlainRelativeName(std::u16string_view entryName);

// A name as the archive stores it. ASCII names are written as they are; any other name is UTF-8
// with general-purpose flag bit 11, and carries the Info-ZIP Unicode path field (0x7075) so that
// readers which ignore the flag for a DOS-made archive still find the UTF-8 name.
struct EncodedName {
  std::string bytes;
  bool utf8 = false;       // set flag bit 11
  std::string extraField;  // the whole 0x7075 field (header included), or empty
};
EncodedName EncodeName(std::u16string_view name);

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;
inline constexpr std::uint16_t kHostDos = 0;
inline constexpr std::uint16_t kHostUnix = 3;

// A stored name as text: bit 11 means UTF-8; else a 0x7075 field whose CRC matches the stored
// name gives it; else UTF-8 when the archive was made on Unix and the bytes are valid UTF-8; else
// code page 437. Malformed UTF-8 is never trusted: such a name falls back to code page 437.
std::u16string DecodeName(std::string_view stored, std::uint16_t flags, std::uint16_t versionMadeBy,
                          std::string_view extra);

// Strict UTF-8 <-> UTF-16 (no overlong forms, no surrogates encoded, nothing past U+10FFFF).
std::optional<std::u16string> FromUtf8(std::string_view bytes);
std::string ToUtf8(std::u16string_view text);
std::u16string FromCp437(std::string_view bytes);

// ---- Times -----------------------------------------------------------------------------------

struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A local time as a DOS date (high word) and time (low word), clamped to 1980-01-01 00:00:00 ..
// 2107-12-31 23:59:58; odd seconds round down. Never 0, so no reader sees day 0.
std::uint32_t DosDateTime(const CivilTime& time);
// The local time a DOS date and time stand for; nothing when a field is out of range.
std::optional<CivilTime> FromDosDateTime(std::uint32_t dos);

// ---- Attributes ------------------------------------------------------------------------------

inline constexpr std::uint32_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04, kDirectory = 0x10,
                               kArchive = 0x20;
inline constexpr std::uint32_t kKeptAttributes = kReadOnly | kHidden | kSystem | kDirectory | kArchive;

// The external attribute word written for a file or folder with these attributes (DOS host).
std::uint32_t ExternalAttributes(std::uint32_t fileAttributes);
// The attributes an entry's file or folder gets back: only read-only, hidden, system, archive
// and the folder bit, read from the DOS byte, or from the Unix mode of an archive made on Unix.
std::uint32_t RestoredAttributes(std::uint32_t external, std::uint16_t versionMadeBy);

// done of total as a percentage, 0 .. 100; 0 when there is nothing to count.
unsigned Percent(std::uint64_t done, std::uint64_t total);

}  // namespace quintar::zip::core
