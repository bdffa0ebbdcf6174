// Folderon's archive commands, the plain rules: which archiver entry a file goes to, the command
// strings handed to the device's archiver library, and where an archive is unpacked.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quintar::fileops::core {

inline constexpr int kArchiveLzh = 1;
inline constexpr int kArchiveZip = 2;

// The kind by the name's own extension (from its last "."): ".LZH" 1, ".ZIP" 2 in any case, else 0.
int ArchiveKindOf(std::u16string_view name);

// One selected row for the command string.
struct ArchiveSource {
  std::u16string_view folder;  // "" for the root
  std::u16string_view name;
  bool isFolder = false;
};

// `a "archive" "base\" "f\n1" "f\n2\*" `: every file as "%s\%s" and every folder as "%s\%s\*" (all
// its contents), each quoted and followed by a space.
std::u16string CompressCommand(std::u16string_view archive, std::u16string_view base,
                               std::span<const ArchiveSource> sources);

// `e "archive" "target"`
std::u16string ExtractCommand(std::u16string_view archive, std::u16string_view target);

// Where `archiveName` is unpacked below `destination` ("" for the root), with the trailing "\":
// "D\" or, creating a folder, "D\stem\" where the stem is the name before its last "." (a name
// with no dot, or only a leading one, gives its whole self). Nothing when it would not fit 259
// characters.
std::optional<std::u16string> ExtractTarget(std::u16string_view destination, std::u16string_view archiveName,
                                            bool createFolder);

// Whether the archive to be written is one of the sources or lies inside a source folder: it
// would be read while it is written. Both sides folded by the caller.
bool ArchiveAmongSources(std::u16string_view foldedArchive, std::span<const ArchiveSource> foldedSources);

// The messages of the archive commands.
inline constexpr std::u16string_view kZipMissing = u"UNZip.dll is not found.";
inline constexpr std::u16string_view kLzhMissing = u"UNLHA.DLL is not found.";
inline constexpr std::u16string_view kNoTargetFolder = u"'Extraction to folder' is not found.";
inline constexpr std::u16string_view kArchiveInSources = u"The archive cannot be written into what it compresses.";

}  // namespace quintar::fileops::core
